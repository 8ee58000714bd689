// The GL backend's Direct3D object and device: what creation and Reset
// refuse, and what a Reset keeps.
#include <gtest/gtest.h>

#include <tuple>

#include "support/gl/CGLTestDevice.h"
#include "support/gl/GLTestDrawing.h"

TEST(GLDevice, RefusesImpossibleDevicesAndResetsOnlyWithoutDefaultPoolResources) {
    constexpr std::uint32_t kBlack = 0xFF000000u, kRed = 0xFFFF0000u, kGreen = 0xFF00FF00u;
    CGLTestDevice gl(32, 32);
    ASSERT_TRUE(gl.Ok()) << gl.Failure();
    // {width, height, window, result}
    const std::tuple<UINT, UINT, HWND, HRESULT> cases[] = {
        {16, 16, nullptr, D3DERR_INVALIDCALL},
        {static_cast<UINT>(-800), 600, gl.Window(), D3DERR_NOTAVAILABLE},
        {16384, 16384, gl.Window(), D3DERR_NOTAVAILABLE}};
    for (const auto& [width, height, window, result] : cases) {
        D3DPRESENT_PARAMETERS p = CGLTestDevice::DefaultParams(width, height);
        IDirect3DDevice9* device = reinterpret_cast<IDirect3DDevice9*>(&p);  // must be cleared
        EXPECT_EQ(gl.D3D()->CreateDevice(0, D3DDEVTYPE_HAL, window, 0, &p, &device), result)
            << width << "x" << height;
        EXPECT_EQ(device, nullptr);
    }

    IDirect3DDevice9* d = gl.Device();
    D3DPRESENT_PARAMETERS params = CGLTestDevice::DefaultParams(48, 40);
    IDirect3DTexture9* target = nullptr;
    IDirect3DVertexBuffer9* vb = nullptr;
    d->CreateTexture(16, 16, 1, D3DUSAGE_RENDERTARGET, D3DFMT_X8R8G8B8, D3DPOOL_DEFAULT, &target,
                     nullptr);
    d->CreateVertexBuffer(96, 0, D3DFVF_XYZ, D3DPOOL_DEFAULT, &vb, nullptr);
    D3DRef<IDirect3DTexture9> managed(MakeTestTexture(d, 2, 2, {kRed, kRed, kRed, kRed}));
    ASSERT_TRUE(target && vb && managed);
    d->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    d->SetRenderState(D3DRS_ZENABLE, D3DZB_FALSE);

    EXPECT_EQ(d->Reset(&params), D3DERR_INVALIDCALL);
    target->Release();
    EXPECT_EQ(d->Reset(&params), D3DERR_INVALIDCALL);  // the vertex buffer still lives
    // A refused reset loses nothing: the device draws on as before.
    EXPECT_EQ(DrawTestQuad(d, {0, 0, 4, 4, kGreen}), D3D_OK);
    EXPECT_EQ(gl.ReadBackBuffer().At(1, 1), kGreen);

    vb->Release();
    ASSERT_EQ(d->Reset(&params), D3D_OK);
    DWORD cull = 0;
    d->GetRenderState(D3DRS_CULLMODE, &cull);
    EXPECT_EQ(cull, static_cast<DWORD>(D3DCULL_CCW));
    EXPECT_EQ(gl.ReadBackBuffer().At(1, 1), kBlack);  // a new back buffer starts black
    // The new size holds for the viewport and the back buffer, and managed
    // resources survive.
    ASSERT_EQ(DrawTestQuad(d, {40, 32, 8, 8, 0xFFFFFFFFu, managed.get()}), D3D_OK);
    CGLPicture p = gl.ReadBackBuffer();
    ASSERT_EQ(p.width, 48u);
    ASSERT_EQ(p.height, 40u);
    EXPECT_EQ(p.At(47, 39), kRed);
    EXPECT_EQ(p.At(39, 39), kBlack);

    D3DPRESENT_PARAMETERS bad = CGLTestDevice::DefaultParams(0, 40);
    EXPECT_EQ(d->Reset(&bad), D3DERR_NOTAVAILABLE);
    EXPECT_EQ(gl.ReadBackBuffer().width, 48u);  // a refused size keeps the old buffers
}
