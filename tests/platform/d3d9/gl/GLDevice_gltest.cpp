// The GL backend's Direct3D object and device: what creation and Reset
// refuse, and what a Reset keeps.
#include <gtest/gtest.h>

#include "platform/d3d9/gl/GLDirect3D9.h"
#include "support/gl/CGLTestDevice.h"
#include "support/gl/GLTestDrawing.h"

namespace {

constexpr std::uint32_t kBlack = 0xFF000000u;
constexpr std::uint32_t kRed = 0xFFFF0000u;

bool AllPixels(const CGLPicture& p, std::uint32_t colour) {
    for (std::uint32_t px : p.pixels)
        if (px != colour) return false;
    return !p.Empty();
}

}  // namespace

TEST(GLDirect3D, RefusesImpossibleDevicesWithoutMakingOne) {
    CGLTestDevice gl(16, 16);
    ASSERT_TRUE(gl.Ok()) << gl.Failure();
    IDirect3D9* d3d = gl.D3D();
    // Refusals never make a device and never crash.
    struct Case {
        const char* what;
        UINT width, height;
        HWND window;
        HRESULT expected;
    } cases[] = {
        {"no window", 16, 16, nullptr, D3DERR_INVALIDCALL},
        {"zero width", 0, 16, gl.Window(), D3DERR_NOTAVAILABLE},
        {"zero height", 16, 0, gl.Window(), D3DERR_NOTAVAILABLE},
        {"negative width", static_cast<UINT>(-800), 600, gl.Window(), D3DERR_NOTAVAILABLE},
        {"beyond any GL limit", 100000, 16, gl.Window(), D3DERR_NOTAVAILABLE},
        {"too many pixels", 16384, 16384, gl.Window(), D3DERR_NOTAVAILABLE},
    };
    for (const Case& c : cases) {
        D3DPRESENT_PARAMETERS p = CGLTestDevice::DefaultParams(c.width, c.height);
        IDirect3DDevice9* device = reinterpret_cast<IDirect3DDevice9*>(&p);  // must be cleared
        EXPECT_EQ(d3d->CreateDevice(0, D3DDEVTYPE_HAL, c.window, 0, &p, &device), c.expected) << c.what;
        EXPECT_EQ(device, nullptr) << c.what;
    }
}

TEST(GLDevice, ResetIsRefusedWhileADefaultPoolResourceLivesAndThenRestoresDefaults) {
    CGLTestDevice gl(32, 32);
    ASSERT_TRUE(gl.Ok()) << gl.Failure();
    IDirect3DDevice9* d = gl.Device();
    D3DPRESENT_PARAMETERS params = CGLTestDevice::DefaultParams(48, 40);

    IDirect3DTexture9* target = nullptr;
    ASSERT_EQ(d->CreateTexture(16, 16, 1, D3DUSAGE_RENDERTARGET, D3DFMT_X8R8G8B8, D3DPOOL_DEFAULT,
                               &target, nullptr),
              D3D_OK);
    IDirect3DVertexBuffer9* vb = nullptr;
    ASSERT_EQ(d->CreateVertexBuffer(96, 0, D3DFVF_XYZ, D3DPOOL_DEFAULT, &vb, nullptr), D3D_OK);
    D3DRef<IDirect3DTexture9> managed(MakeTestTexture(d, 2, 2, {kRed, kRed, kRed, kRed}));
    ASSERT_NE(managed, nullptr);
    d->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    d->SetRenderState(D3DRS_ZENABLE, D3DZB_FALSE);

    EXPECT_EQ(d->Reset(&params), D3DERR_INVALIDCALL);
    target->Release();
    EXPECT_EQ(d->Reset(&params), D3DERR_INVALIDCALL);  // the vertex buffer still lives
    // A refused reset loses nothing: the device draws on as before.
    GLTestQuad quad;
    quad.width = 4;
    quad.height = 4;
    quad.color = 0xFF00FF00u;
    EXPECT_EQ(DrawTestQuad(d, quad), D3D_OK);
    EXPECT_EQ(gl.ReadBackBuffer().At(1, 1), 0xFF00FF00u);

    vb->Release();
    // Managed resources survive a reset.
    ASSERT_EQ(d->Reset(&params), D3D_OK);
    DWORD cull = 0;
    d->GetRenderState(D3DRS_CULLMODE, &cull);
    EXPECT_EQ(cull, static_cast<DWORD>(D3DCULL_CCW));
    D3DVIEWPORT9 vp{};
    d->GetViewport(&vp);
    EXPECT_EQ(vp.Width, 48u);
    EXPECT_EQ(vp.Height, 40u);

    CGLPicture p = gl.ReadBackBuffer();
    ASSERT_EQ(p.width, 48u);
    ASSERT_EQ(p.height, 40u);
    EXPECT_TRUE(AllPixels(p, kBlack));  // a new back buffer starts black
    quad = GLTestQuad{};
    quad.x = 40;
    quad.y = 32;
    quad.width = 8;
    quad.height = 8;
    quad.texture = managed.get();
    ASSERT_EQ(DrawTestQuad(d, quad), D3D_OK);
    p = gl.ReadBackBuffer();
    EXPECT_EQ(p.At(47, 39), kRed);
    EXPECT_EQ(p.At(39, 39), kBlack);

    D3DPRESENT_PARAMETERS bad = CGLTestDevice::DefaultParams(0, 40);
    EXPECT_EQ(d->Reset(&bad), D3DERR_NOTAVAILABLE);
    EXPECT_EQ(gl.ReadBackBuffer().width, 48u);  // a refused size keeps the old buffers
}
