// The GL backend's device: what a Reset keeps and what it puts back, and
// what the state cache saves. (What creation and Reset refuse is in
// D3DConformance_gltest.cpp, alike for both backends.)
#include <gtest/gtest.h>

#include <string>

#include "platform/d3d9/gl/CGLDevice.h"
#include "support/CD3DRefusalCapture.h"
#include "support/gl/CGLTestDevice.h"
#include "support/gl/GLTestDrawing.h"

namespace {

constexpr std::uint32_t kBlack = 0xFF000000u, kRed = 0xFFFF0000u, kGreen = 0xFF00FF00u;

}  // namespace

TEST(GLDevice, ARefusedResetLosesNothingAndAGoodOnePutsTheDefaultsBack) {
    CGLTestDevice gl(32, 24);
    ASSERT_TRUE(gl.Ok()) << gl.Failure();
    IDirect3DDevice9* d = gl.Device();
    const D3DRef<IDirect3DTexture9> managed(MakeTestTexture(d, 2, 2, {kRed, kRed, kRed, kRed}));
    ASSERT_NE(managed, nullptr);
    IDirect3DVertexBuffer9* vb = nullptr;
    d->CreateVertexBuffer(96, 0, D3DFVF_XYZ, D3DPOOL_DEFAULT, &vb, nullptr);
    D3DRef<IDirect3DVertexBuffer9> held(vb);
    d->SetRenderState(D3DRS_ZENABLE, D3DZB_FALSE);
    d->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    // With a default-pool buffer held, then (released) with no back buffer width.
    struct Case {
        UINT width;
        HRESULT result;
        const char* line;
    } cases[] = {{48, D3DERR_INVALIDCALL, "Reset refused, DefaultPoolResourcesLive"},
                 {0, D3DERR_NOTAVAILABLE, "Reset refused, BackBufferSize"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        D3DPRESENT_PARAMETERS params = CGLTestDevice::DefaultParams(c.width, 40);
        CD3DRefusalCapture refusals;
        EXPECT_EQ(d->Reset(&params), c.result);
        ASSERT_EQ(refusals.Lines().size(), 1u);
        EXPECT_NE(refusals.Lines()[0].find(c.line), std::string::npos) << refusals.Lines()[0];
        // The state and the back buffer are as they were.
        DWORD zenable = 0;
        d->GetRenderState(D3DRS_ZENABLE, &zenable);
        EXPECT_EQ(zenable, static_cast<DWORD>(D3DZB_FALSE));
        EXPECT_EQ(DrawTestQuad(d, {0, 0, 32, 24, kGreen}), D3D_OK);
        const CGLPicture p = gl.ReadBackBuffer();
        EXPECT_EQ(p.width, 32u);
        EXPECT_EQ(p.At(31, 23), kGreen);
        held.reset();
    }

    D3DPRESENT_PARAMETERS params = CGLTestDevice::DefaultParams(48, 40);
    ASSERT_EQ(d->Reset(&params), D3D_OK);
    DWORD cull = 0;
    d->GetRenderState(D3DRS_CULLMODE, &cull);
    EXPECT_EQ(cull, static_cast<DWORD>(D3DCULL_CCW));
    // The new back buffer starts black and the viewport covers all of it;
    // managed textures survive.
    ASSERT_EQ(DrawTestQuad(d, {40, 32, 8, 8, 0xFFFFFFFFu, managed.get()}), D3D_OK);
    const CGLPicture p = gl.ReadBackBuffer();
    ASSERT_EQ(p.width, 48u);
    ASSERT_EQ(p.height, 40u);
    EXPECT_EQ(p.At(1, 1), kBlack);
    EXPECT_EQ(p.At(47, 39), kRed);
    EXPECT_EQ(p.At(39, 39), kBlack);
}

TEST(GLDevice, AnUnchangedStateCostsTheStateCacheNoGLCall) {
    CGLTestDevice gl(16, 16);
    ASSERT_TRUE(gl.Ok()) << gl.Failure();
    IDirect3DDevice9* d = gl.Device();
    const CGLStateCache& cache = dynamic_cast<CGLDevice&>(*d).Cache();
    const D3DRef<IDirect3DTexture9> texture(MakeTestTexture(d, 2, 2, {kRed, kRed, kRed, kRed}));
    ASSERT_NE(texture, nullptr);
    const GLTestQuad quad{0, 0, 8, 8, 0xFF808080u, texture.get()};
    ASSERT_EQ(DrawTestQuad(d, quad), D3D_OK);
    const std::uint64_t calls = cache.CallCount();
    ASSERT_EQ(DrawTestQuad(d, quad), D3D_OK);
    EXPECT_EQ(cache.CallCount(), calls);
    // A state that changes is issued.
    d->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    ASSERT_EQ(DrawTestQuad(d, quad), D3D_OK);
    EXPECT_GT(cache.CallCount(), calls);
}
