// The GL backend's Direct3D object and device: what creation refuses, the
// back buffer, Reset and the life of resources.
#include <gtest/gtest.h>

#include <cstring>

#include "platform/d3d9/gl/GLDirect3D9.h"
#include "support/gl/CGLTestDevice.h"
#include "support/gl/GLTestDrawing.h"

namespace {

constexpr std::uint32_t kBlack = 0xFF000000u;
constexpr std::uint32_t kRed = 0xFFFF0000u;

// The device's reference count, read without changing it.
ULONG RefCount(IUnknown* object) {
    object->AddRef();
    return object->Release();
}

bool AllPixels(const CGLPicture& p, std::uint32_t colour) {
    for (std::uint32_t px : p.pixels)
        if (px != colour) return false;
    return !p.Empty();
}

}  // namespace

TEST(GLDirect3D, AnswersTheAdapterQueriesAndRefusesImpossibleDevices) {
    CGLTestDevice gl(16, 16);
    ASSERT_TRUE(gl.Ok()) << gl.Failure();
    IDirect3D9* d3d = gl.D3D();

    D3DDISPLAYMODE mode{};
    ASSERT_EQ(d3d->GetAdapterDisplayMode(D3DADAPTER_DEFAULT, &mode), D3D_OK);
    EXPECT_GT(mode.Width, 0u);
    EXPECT_GT(mode.Height, 0u);
    EXPECT_EQ(mode.Format, D3DFMT_X8R8G8B8);
    EXPECT_EQ(d3d->GetAdapterDisplayMode(1, &mode), D3DERR_INVALIDCALL);

    EXPECT_EQ(d3d->CheckDeviceFormat(0, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, D3DUSAGE_DEPTHSTENCIL,
                                     D3DRTYPE_SURFACE, D3DFMT_D16),
              D3D_OK);
    EXPECT_EQ(d3d->CheckDeviceFormat(0, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, D3DUSAGE_DEPTHSTENCIL,
                                     D3DRTYPE_SURFACE, D3DFMT_D24S8),
              D3DERR_NOTAVAILABLE);
    D3DCAPS9 caps{};
    ASSERT_EQ(d3d->GetDeviceCaps(0, D3DDEVTYPE_HAL, &caps), D3D_OK);
    EXPECT_NE(caps.VertexProcessingCaps, 0u);
    EXPECT_GE(caps.MaxTextureWidth, 1024u);

    DWORD quality = 0;
    for (D3DFORMAT f : {D3DFMT_X8R8G8B8, D3DFMT_D16}) {
        EXPECT_EQ(d3d->CheckDeviceMultiSampleType(0, D3DDEVTYPE_HAL, f, TRUE,
                                                  D3DMULTISAMPLE_NONMASKABLE, &quality),
                  D3D_OK);
        EXPECT_EQ(quality, 1u);
    }
    // Beyond what the context reported (llvmpipe and most drivers stop below 64).
    EXPECT_NE(d3d->CheckDeviceMultiSampleType(0, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, TRUE,
                                              static_cast<D3DMULTISAMPLE_TYPE>(64), nullptr),
              D3D_OK);

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
    D3DPRESENT_PARAMETERS p = CGLTestDevice::DefaultParams(16, 16);
    p.AutoDepthStencilFormat = D3DFMT_D24S8;
    IDirect3DDevice9* device = nullptr;
    EXPECT_TRUE(FAILED(d3d->CreateDevice(0, D3DDEVTYPE_HAL, gl.Window(), 0, &p, &device)));
    EXPECT_EQ(device, nullptr);
}

TEST(GLDevice, BackBufferStartsBlackAndSurvivesPresentWithOrWithoutMultisampling) {
    for (D3DMULTISAMPLE_TYPE ms : {D3DMULTISAMPLE_NONE, D3DMULTISAMPLE_NONMASKABLE}) {
        SCOPED_TRACE(ms);
        D3DPRESENT_PARAMETERS params = CGLTestDevice::DefaultParams(40, 30);
        params.MultiSampleType = ms;
        params.PresentationInterval = D3DPRESENT_INTERVAL_ONE;
        CGLTestDevice gl(params);
        ASSERT_TRUE(gl.Ok()) << gl.Failure();
        IDirect3DDevice9* d = gl.Device();

        CGLPicture fresh = gl.ReadBackBuffer();
        EXPECT_EQ(fresh.width, 40u);
        EXPECT_EQ(fresh.height, 30u);
        EXPECT_TRUE(AllPixels(fresh, kBlack));

        IDirect3DSurface9* back = nullptr;
        ASSERT_EQ(d->GetRenderTarget(0, &back), D3D_OK);
        D3DSURFACE_DESC desc{};
        ASSERT_EQ(back->GetDesc(&desc), D3D_OK);
        EXPECT_EQ(desc.Width, 40u);
        EXPECT_EQ(desc.Height, 30u);
        EXPECT_EQ(desc.Format, D3DFMT_X8R8G8B8);
        EXPECT_EQ(desc.MultiSampleType, ms);
        back->Release();

        ASSERT_EQ(d->BeginScene(), D3D_OK);
        EXPECT_EQ(d->BeginScene(), D3DERR_INVALIDCALL);
        // Edges between pixels: with multisampling an edge through pixel
        // centres would cover those pixels by half.
        GLTestQuad quad;
        quad.x = 9.5f;
        quad.y = 4.5f;
        quad.width = 20;
        quad.height = 10;
        quad.color = kRed;
        ASSERT_EQ(DrawTestQuad(d, quad), D3D_OK);
        ASSERT_EQ(d->EndScene(), D3D_OK);
        ASSERT_EQ(d->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
        // The back buffer keeps its picture: the program never clears it.
        ASSERT_EQ(d->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
        CGLPicture p = gl.ReadBackBuffer();
        EXPECT_EQ(p.At(10, 5), kRed);
        EXPECT_EQ(p.At(29, 14), kRed);
        EXPECT_EQ(p.At(9, 5), kBlack);
        EXPECT_EQ(p.At(30, 14), kBlack);
        EXPECT_EQ(p.At(0, 0), kBlack);
        EXPECT_EQ(p.At(39, 29), kBlack);
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
    DWORD cull = 0;
    d->GetRenderState(D3DRS_CULLMODE, &cull);
    EXPECT_EQ(cull, static_cast<DWORD>(D3DCULL_NONE));

    vb->Release();
    // Managed resources survive a reset.
    ASSERT_EQ(d->Reset(&params), D3D_OK);
    d->GetRenderState(D3DRS_CULLMODE, &cull);
    EXPECT_EQ(cull, static_cast<DWORD>(D3DCULL_CCW));
    DWORD z = 0;
    d->GetRenderState(D3DRS_ZENABLE, &z);
    EXPECT_EQ(z, static_cast<DWORD>(D3DZB_TRUE));
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

TEST(GLDevice, ResourcesHoldTheDeviceAndCheckWhatTheyAreGiven) {
    CGLTestDevice gl(16, 16);
    ASSERT_TRUE(gl.Ok()) << gl.Failure();
    IDirect3DDevice9* d = gl.Device();
    const ULONG base = RefCount(d);

    IDirect3DTexture9* t = nullptr;
    for (auto [w, h] : {std::pair<UINT, UINT>{0, 8}, {8, 0}, {100000, 8}, {0xFFFFFFFFu, 0xFFFFFFFFu}}) {
        EXPECT_EQ(d->CreateTexture(w, h, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &t, nullptr),
                  D3DERR_INVALIDCALL);
        EXPECT_EQ(t, nullptr);
    }
    EXPECT_EQ(d->CreateTexture(8, 8, 1, D3DUSAGE_RENDERTARGET, D3DFMT_X8R8G8B8, D3DPOOL_MANAGED, &t,
                               nullptr),
              D3DERR_INVALIDCALL);
    EXPECT_EQ(d->CreateTexture(8, 8, 1, 0, D3DFMT_D16, D3DPOOL_MANAGED, &t, nullptr),
              D3DERR_INVALIDCALL);

    // A texture and its level surface share one count, and it holds the device.
    ASSERT_EQ(d->CreateTexture(8, 8, 1, D3DUSAGE_RENDERTARGET, D3DFMT_X8R8G8B8, D3DPOOL_DEFAULT,
                               &t, nullptr),
              D3D_OK);
    EXPECT_EQ(RefCount(d), base + 1);
    IDirect3DSurface9* level = nullptr;
    ASSERT_EQ(t->GetSurfaceLevel(0, &level), D3D_OK);
    EXPECT_EQ(RefCount(t), 2u);
    EXPECT_EQ(t->LockRect(0, nullptr, nullptr, 0), D3DERR_INVALIDCALL);  // not lockable
    // Bound as render target and released by the caller, the texture stays
    // usable until it is unbound.
    ASSERT_EQ(d->SetRenderTarget(0, level), D3D_OK);
    level->Release();
    t->Release();
    EXPECT_EQ(RefCount(d), base);
    EXPECT_EQ(d->Clear(0, nullptr, D3DCLEAR_TARGET, kRed, 1.0f, 0), D3D_OK);
    IDirect3DSurface9* back = nullptr;
    ASSERT_EQ(d->GetRenderTarget(0, &back), D3D_OK);  // the texture's level
    back->Release();

    // The back buffer's references are the device's.
    D3DRef<IDirect3DSurface9> depth;
    {
        IDirect3DSurface9* s = nullptr;
        ASSERT_EQ(d->GetDepthStencilSurface(&s), D3D_OK);
        depth.reset(s);
    }
    EXPECT_EQ(RefCount(d), base + 1);
    ASSERT_EQ(d->SetDepthStencilSurface(nullptr), D3D_OK);
    int dummy = 0;
    IDirect3DSurface9* none = reinterpret_cast<IDirect3DSurface9*>(&dummy);
    EXPECT_EQ(d->GetDepthStencilSurface(&none), D3DERR_NOTFOUND);
    EXPECT_EQ(none, nullptr);
    EXPECT_EQ(d->Clear(0, nullptr, D3DCLEAR_ZBUFFER, 0, 1.0f, 0), D3DERR_INVALIDCALL);
    EXPECT_EQ(d->SetDepthStencilSurface(depth.get()), D3D_OK);
    EXPECT_EQ(d->SetRenderTarget(0, depth.get()), D3DERR_INVALIDCALL);  // depth is no colour target
    EXPECT_EQ(d->SetRenderTarget(0, nullptr), D3DERR_INVALIDCALL);

    // A vertex buffer hands out its copy: reads see what was written.
    IDirect3DVertexBuffer9* vb = nullptr;
    ASSERT_EQ(d->CreateVertexBuffer(64, 0, D3DFVF_XYZ, D3DPOOL_DEFAULT, &vb, nullptr), D3D_OK);
    D3DRef<IDirect3DVertexBuffer9> vbRef(vb);
    void* bytes = nullptr;
    ASSERT_EQ(vb->Lock(16, 8, &bytes, 0), D3D_OK);
    std::memcpy(bytes, "abcdefgh", 8);
    ASSERT_EQ(vb->Unlock(), D3D_OK);
    ASSERT_EQ(vb->Lock(0, 0, &bytes, D3DLOCK_READONLY), D3D_OK);
    EXPECT_EQ(std::memcmp(static_cast<char*>(bytes) + 16, "abcdefgh", 8), 0);
    vb->Unlock();
    EXPECT_EQ(vb->Unlock(), D3DERR_INVALIDCALL);
    EXPECT_EQ(vb->Lock(60, 8, &bytes, 0), D3DERR_INVALIDCALL);
    EXPECT_EQ(vb->Lock(65, 0, &bytes, 0), D3DERR_INVALIDCALL);
    EXPECT_EQ(d->CreateVertexBuffer(0, 0, 0, D3DPOOL_DEFAULT, &vb, nullptr), D3DERR_INVALIDCALL);
    EXPECT_EQ(vb, nullptr);
    IDirect3DIndexBuffer9* ib = nullptr;
    EXPECT_EQ(d->CreateIndexBuffer(64, 0, D3DFMT_D16, D3DPOOL_DEFAULT, &ib, nullptr), D3DERR_INVALIDCALL);
}

TEST(GLDevice, IndexedDrawsReadOnlyInsideTheirBuffers) {
    CGLTestDevice gl(8, 8);
    ASSERT_TRUE(gl.Ok()) << gl.Failure();
    IDirect3DDevice9* d = gl.Device();
    struct Vertex {
        float x, y, z;
        D3DCOLOR color;
    };
    // A full-target pair of triangles in clip space (identity transforms).
    const Vertex vertices[4] = {{-1, 1, 0.5f, kRed}, {1, 1, 0.5f, kRed}, {1, -1, 0.5f, kRed}, {-1, -1, 0.5f, kRed}};
    const std::uint16_t indices[8] = {0, 1, 2, 0, 2, 3, 9, 0};
    IDirect3DVertexBuffer9* vb = nullptr;
    IDirect3DIndexBuffer9* ib = nullptr;
    ASSERT_EQ(d->CreateVertexBuffer(sizeof vertices, 0, D3DFVF_XYZ | D3DFVF_DIFFUSE, D3DPOOL_MANAGED, &vb, nullptr), D3D_OK);
    ASSERT_EQ(d->CreateIndexBuffer(sizeof indices, D3DUSAGE_WRITEONLY, D3DFMT_INDEX16, D3DPOOL_MANAGED, &ib, nullptr), D3D_OK);
    D3DRef<IDirect3DVertexBuffer9> vbRef(vb);
    D3DRef<IDirect3DIndexBuffer9> ibRef(ib);
    void* p = nullptr;
    vb->Lock(0, 0, &p, 0);
    std::memcpy(p, vertices, sizeof vertices);
    vb->Unlock();
    ib->Lock(0, 0, &p, 0);
    std::memcpy(p, indices, sizeof indices);
    ib->Unlock();

    d->SetRenderState(D3DRS_LIGHTING, FALSE);
    d->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    d->SetFVF(D3DFVF_XYZ | D3DFVF_DIFFUSE);
    EXPECT_EQ(d->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, 4, 0, 2), D3DERR_INVALIDCALL);  // no stream yet
    d->SetStreamSource(0, vb, 0, sizeof(Vertex));
    d->SetIndices(ib);
    EXPECT_EQ(d->SetStreamSource(1, vb, 0, sizeof(Vertex)), D3DERR_INVALIDCALL);

    struct Case {
        const char* what;
        INT base;
        UINT start, count;
        HRESULT expected;
    } cases[] = {
        {"index 9 names no vertex", 0, 3, 2, D3DERR_INVALIDCALL},
        {"indices past the buffer", 0, 6, 1, D3DERR_INVALIDCALL},
        {"base vertex pushes past the end", 1, 0, 2, D3DERR_INVALIDCALL},
        {"negative base vertex", -1, 0, 2, D3DERR_INVALIDCALL},
        {"whole target", 0, 0, 2, D3D_OK},
    };
    for (const Case& c : cases)
        EXPECT_EQ(d->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, c.base, 0, 4, c.start, c.count), c.expected) << c.what;
    const CGLPicture picture = gl.ReadBackBuffer();
    EXPECT_TRUE(AllPixels(picture, kRed));

    // A stride shorter than the vertex format is refused.
    d->SetStreamSource(0, vb, 0, 12);
    EXPECT_EQ(d->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, 4, 0, 2), D3DERR_INVALIDCALL);
    d->SetStreamSource(0, vb, 0, sizeof(Vertex));

    // Draws in a row are drawn with the state and data of their own time,
    // whatever changes after them: here the left triangle is drawn, its
    // colour rewritten, the right one drawn, then colour writes turned off
    // before a last draw over everything.
    d->Clear(0, nullptr, D3DCLEAR_TARGET, kBlack, 1.0f, 0);
    d->SetRenderState(D3DRS_ZENABLE, D3DZB_FALSE);
    ASSERT_EQ(d->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, 4, 3, 1), D3D_OK);  // 0, 2, 3: lower left
    Vertex* written = nullptr;
    ASSERT_EQ(vb->Lock(0, 0, reinterpret_cast<void**>(&written), 0), D3D_OK);
    for (int i = 0; i < 4; ++i) written[i].color = 0xFF0000FFu;
    vb->Unlock();
    ASSERT_EQ(d->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, 4, 0, 1), D3D_OK);  // 0, 1, 2: upper right
    d->SetRenderState(D3DRS_COLORWRITEENABLE, 0);
    ASSERT_EQ(d->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, 4, 0, 2), D3D_OK);
    const CGLPicture layered = gl.ReadBackBuffer();
    EXPECT_EQ(layered.At(1, 6), kRed);
    EXPECT_EQ(layered.At(6, 1), 0xFF0000FFu);
}
