// The two backends agree: one table of calls, run in turn against the
// recording device and the GL device, each answered with the same HRESULT
// by both, and each refusal logged by both with the same line (call and
// reason).
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/d3d9/D3DNames.h"
#include "platform/d3d9/recording/CRecordingCallLog.h"
#include "support/CD3DRefusalCapture.h"
#include "support/gl/CGLTestDevice.h"

namespace {

constexpr DWORD kQuadFvf = D3DFVF_XYZRHW | D3DFVF_DIFFUSE;
struct QuadVertex {
    float x, y, z, rhw;
    D3DCOLOR colour;
};
constexpr QuadVertex kQuad[4] = {{8, 0, 0, 1, 0xFFFFFFFFu},
                                 {8, 8, 0, 1, 0xFFFFFFFFu},
                                 {0, 8, 0, 1, 0xFFFFFFFFu},
                                 {0, 0, 0, 1, 0xFFFFFFFFu}};

// Releases what a call handed out.
HRESULT Released(HRESULT hr, IUnknown* object) {
    if (object != nullptr) object->Release();
    return hr;
}

// One backend's Direct3D object and device, the objects the table uses and
// short forms of the calls it makes.
struct Backend {
    IDirect3D9* d3d = nullptr;
    IDirect3DDevice9* d = nullptr;
    HWND window = nullptr;
    bool owned = false;  // d3d and d are released with the backend
    D3DRef<IDirect3DTexture9> managed, target;
    D3DRef<IDirect3DSurface9> level, back, backDepth, depth, smallDepth;
    D3DRef<IDirect3DSurface9> plain;  // 16 x 16 X8R8G8B8 in system memory, like `target`
    D3DRef<IDirect3DVertexBuffer9> vb;  // four D3DFVF_XYZ vertices
    D3DRef<IDirect3DIndexBuffer9> ib;   // 0 1 2 2 1 3, 16 bits each

    Backend(IDirect3D9* d3d, IDirect3DDevice9* d, HWND window, bool owned)
        : d3d(d3d), d(d), window(window), owned(owned) {}
    ~Backend() {
        ReleaseDefaultPool();
        managed.reset();
        plain.reset();
        back.reset();
        backDepth.reset();
        if (owned && d != nullptr) d->Release();
        if (owned) d3d->Release();
    }

    bool Populate() {
        IDirect3DSurface9* s = nullptr;
        IDirect3DTexture9* t = nullptr;
        d->CreateTexture(8, 8, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &t, nullptr);
        managed.reset(t);
        d->CreateTexture(16, 16, 1, D3DUSAGE_RENDERTARGET, D3DFMT_X8R8G8B8, D3DPOOL_DEFAULT, &t,
                         nullptr);
        target.reset(t);
        if (t != nullptr) t->GetSurfaceLevel(0, &s);
        level.reset(s);
        d->GetRenderTarget(0, &s);
        back.reset(s);
        d->GetDepthStencilSurface(&s);
        backDepth.reset(s);
        d->CreateDepthStencilSurface(16, 16, D3DFMT_D16, D3DMULTISAMPLE_NONE, 0, TRUE, &s, nullptr);
        depth.reset(s);
        d->CreateDepthStencilSurface(8, 8, D3DFMT_D16, D3DMULTISAMPLE_NONE, 0, TRUE, &s, nullptr);
        smallDepth.reset(s);
        d->CreateOffscreenPlainSurface(16, 16, D3DFMT_X8R8G8B8, D3DPOOL_SYSTEMMEM, &s, nullptr);
        plain.reset(s);
        IDirect3DVertexBuffer9* v = nullptr;
        d->CreateVertexBuffer(48, 0, D3DFVF_XYZ, D3DPOOL_DEFAULT, &v, nullptr);
        vb.reset(v);
        IDirect3DIndexBuffer9* i = nullptr;
        d->CreateIndexBuffer(12, 0, D3DFMT_INDEX16, D3DPOOL_DEFAULT, &i, nullptr);
        ib.reset(i);
        void* data = nullptr;
        const std::uint16_t indices[6] = {0, 1, 2, 2, 1, 3};
        if (!ib || FAILED(ib->Lock(0, 0, &data, 0))) return false;
        std::memcpy(data, indices, sizeof indices);
        ib->Unlock();
        return managed && level && back && backDepth && depth && smallDepth && plain && vb;
    }
    void ReleaseDefaultPool() {
        level.reset();
        target.reset();
        depth.reset();
        smallDepth.reset();
        vb.reset();
        ib.reset();
    }

    HRESULT CreateDevice(UINT width, UINT height, D3DFORMAT depthFormat, HWND focus,
                         D3DDEVTYPE type = D3DDEVTYPE_HAL) {
        D3DPRESENT_PARAMETERS p = CGLTestDevice::DefaultParams(width, height);
        p.AutoDepthStencilFormat = depthFormat;
        auto* made = reinterpret_cast<IDirect3DDevice9*>(&p);  // must be cleared on failure
        const HRESULT hr = d3d->CreateDevice(0, type, focus, 0, &p, &made);
        if (FAILED(hr)) {
            EXPECT_EQ(made, nullptr);
        }
        return Released(hr, SUCCEEDED(hr) ? made : nullptr);
    }
    HRESULT Texture(UINT side, UINT levels, DWORD usage, D3DFORMAT format, D3DPOOL pool) {
        IDirect3DTexture9* t = nullptr;
        const HRESULT hr = d->CreateTexture(side, side, levels, usage, format, pool, &t, nullptr);
        return Released(hr, t);
    }
    HRESULT VertexBuffer(UINT length) {
        IDirect3DVertexBuffer9* v = nullptr;
        const HRESULT hr = d->CreateVertexBuffer(length, 0, 0, D3DPOOL_MANAGED, &v, nullptr);
        return Released(hr, v);
    }
    HRESULT Clear(DWORD flags, float z, DWORD count = 0) {
        return d->Clear(count, nullptr, flags, 0, z, 0);
    }
    HRESULT Lock(const RECT* rect, IDirect3DTexture9* texture = nullptr) {
        D3DLOCKED_RECT locked{};
        return (texture != nullptr ? texture : managed.get())->LockRect(0, &locked, rect, 0);
    }
    HRESULT Plain(UINT side, D3DFORMAT format, D3DPOOL pool) {
        IDirect3DSurface9* p = nullptr;
        const HRESULT hr = d->CreateOffscreenPlainSurface(side, side, format, pool, &p, nullptr);
        return Released(hr, p);
    }
    HRESULT ReadBack(IDirect3DSurface9* source, IDirect3DSurface9* destination) {
        return d->GetRenderTargetData(source, destination);
    }
    HRESULT LockPlain() {
        D3DLOCKED_RECT locked{};
        return plain->LockRect(&locked, nullptr, 0);
    }
    HRESULT Draw(DWORD fvf = kQuadFvf, UINT count = 2, UINT stride = sizeof(QuadVertex)) {
        d->SetFVF(fvf);
        return d->DrawPrimitiveUP(D3DPT_TRIANGLEFAN, count, kQuad, stride);
    }
    // An indexed draw of triangles, alone (with stream and indices set
    // first) or following the last draw with nothing in between.
    HRESULT Indexed(INT base, UINT minIndex, UINT count, UINT start, UINT primitives,
                    bool alone = false) {
        if (alone) {
            d->SetFVF(D3DFVF_XYZ);
            d->SetStreamSource(0, vb.get(), 0, 12);
            d->SetIndices(ib.get());
        }
        return d->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, base, minIndex, count, start,
                                       primitives);
    }
    HRESULT Reset() {
        D3DPRESENT_PARAMETERS p = CGLTestDevice::DefaultParams(32, 32);
        return d->Reset(&p);
    }
};

struct Step {
    const char* what;
    HRESULT expected;
    std::function<HRESULT(Backend&)> call;
    bool logged = true;  // false for queries: their "no" is an answer, not a refusal
};

constexpr HRESULT kOk = D3D_OK;
constexpr HRESULT kInvalid = D3DERR_INVALIDCALL;
constexpr HRESULT kNotAvailable = D3DERR_NOTAVAILABLE;
constexpr D3DFORMAT kX8 = D3DFMT_X8R8G8B8;
constexpr D3DFORMAT kA8 = D3DFMT_A8R8G8B8;

// In order: each step may leave state that the next ones rely on.
const Step kSteps[] = {
    // The Direct3D object
    {"CreateDevice without a window", kInvalid,
     [](Backend& b) { return b.CreateDevice(16, 16, D3DFMT_D16, nullptr); }},
    {"CreateDevice of a negative width", kNotAvailable,
     [](Backend& b) { return b.CreateDevice(-800u, 600, D3DFMT_D16, b.window); }},
    {"CreateDevice of 16384 x 16384", kNotAvailable,
     [](Backend& b) { return b.CreateDevice(16384, 16384, D3DFMT_D16, b.window); }},
    {"CreateDevice with a D24S8 depth buffer", kNotAvailable,
     [](Backend& b) { return b.CreateDevice(16, 16, D3DFMT_D24S8, b.window); }},
    {"CreateDevice of the reference type", kNotAvailable,
     [](Backend& b) { return b.CreateDevice(16, 16, D3DFMT_D16, b.window, D3DDEVTYPE_REF); }},
    {"D16 depth format", kOk,
     [](Backend& b) {
         return b.d3d->CheckDeviceFormat(0, D3DDEVTYPE_HAL, kX8, D3DUSAGE_DEPTHSTENCIL,
                                         D3DRTYPE_SURFACE, D3DFMT_D16);
     }},
    {"D24S8 depth format", kNotAvailable,
     [](Backend& b) {
         return b.d3d->CheckDeviceFormat(0, D3DDEVTYPE_HAL, kX8, D3DUSAGE_DEPTHSTENCIL,
                                         D3DRTYPE_SURFACE, D3DFMT_D24S8);
     },
     false},
    {"non-maskable multisampling", kOk,
     [](Backend& b) {
         return b.d3d->CheckDeviceMultiSampleType(0, D3DDEVTYPE_HAL, D3DFMT_D16, TRUE,
                                                  D3DMULTISAMPLE_NONMASKABLE, nullptr);
     }},
    {"multisample type 17", kInvalid,
     [](Backend& b) {
         return b.d3d->CheckDeviceMultiSampleType(0, D3DDEVTYPE_HAL, kX8, TRUE,
                                                  static_cast<D3DMULTISAMPLE_TYPE>(17), nullptr);
     },
     false},
    // Scenes and Clear
    {"BeginScene", kOk, [](Backend& b) { return b.d->BeginScene(); }},
    {"BeginScene twice", kInvalid, [](Backend& b) { return b.d->BeginScene(); }},
    {"EndScene", kOk, [](Backend& b) { return b.d->EndScene(); }},
    {"EndScene twice", kInvalid, [](Backend& b) { return b.d->EndScene(); }},
    {"Clear target and depth", kOk,
     [](Backend& b) { return b.Clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 1.0f); }},
    {"Clear the stencil of D16", kInvalid,
     [](Backend& b) { return b.Clear(D3DCLEAR_TARGET | D3DCLEAR_STENCIL, 1.0f); }},
    {"Clear depth to 1.5", kInvalid, [](Backend& b) { return b.Clear(D3DCLEAR_ZBUFFER, 1.5f); }},
    {"Clear the target only, depth 1.5", kOk,
     [](Backend& b) { return b.Clear(D3DCLEAR_TARGET, 1.5f); }},
    {"Clear nothing", kInvalid, [](Backend& b) { return b.Clear(0, 1.0f); }},
    {"Clear a count without rectangles", kInvalid,
     [](Backend& b) { return b.Clear(D3DCLEAR_TARGET, 1.0f, 1); }},
    {"SetDepthStencilSurface null", kOk,
     [](Backend& b) { return b.d->SetDepthStencilSurface(nullptr); }},
    {"GetDepthStencilSurface with none set", D3DERR_NOTFOUND,
     [](Backend& b) {
         IDirect3DSurface9* s = nullptr;
         const HRESULT hr = b.d->GetDepthStencilSurface(&s);
         return Released(hr, s);
     }},
    {"Clear depth without a depth surface", kInvalid,
     [](Backend& b) { return b.Clear(D3DCLEAR_ZBUFFER, 1.0f); }},
    {"SetDepthStencilSurface back", kOk,
     [](Backend& b) { return b.d->SetDepthStencilSurface(b.backDepth.get()); }},
    // Resources
    {"CreateDepthStencilSurface D24S8", kInvalid,
     [](Backend& b) {
         IDirect3DSurface9* s = nullptr;
         const HRESULT hr = b.d->CreateDepthStencilSurface(8, 8, D3DFMT_D24S8, D3DMULTISAMPLE_NONE,
                                                           0, TRUE, &s, nullptr);
         return Released(hr, s);
     }},
    {"CreateTexture of two levels", kInvalid,
     [](Backend& b) { return b.Texture(8, 2, 0, kA8, D3DPOOL_MANAGED); }},
    {"CreateTexture of all levels", kOk,
     [](Backend& b) { return b.Texture(8, 0, 0, kA8, D3DPOOL_MANAGED); }},
    {"CreateTexture in system memory", kInvalid,
     [](Backend& b) { return b.Texture(8, 1, 0, kA8, D3DPOOL_SYSTEMMEM); }},
    {"CreateTexture of a managed render target", kInvalid,
     [](Backend& b) { return b.Texture(8, 1, D3DUSAGE_RENDERTARGET, kX8, D3DPOOL_MANAGED); }},
    {"CreateTexture of D16", kInvalid,
     [](Backend& b) { return b.Texture(8, 1, 0, D3DFMT_D16, D3DPOOL_MANAGED); }},
    {"CreateTexture of 16384 x 16384", kInvalid,
     [](Backend& b) { return b.Texture(16384, 1, 0, kA8, D3DPOOL_MANAGED); }},
    {"CreateVertexBuffer of 0 bytes", kInvalid, [](Backend& b) { return b.VertexBuffer(0); }},
    {"CreateVertexBuffer over 256 MiB", D3DERR_OUTOFVIDEOMEMORY,
     [](Backend& b) { return b.VertexBuffer((256u << 20) + 1); }},
    {"CreateIndexBuffer of D16", kInvalid,
     [](Backend& b) {
         IDirect3DIndexBuffer9* i = nullptr;
         const HRESULT hr = b.d->CreateIndexBuffer(12, 0, D3DFMT_D16, D3DPOOL_MANAGED, &i, nullptr);
         return Released(hr, i);
     }},
    {"LockRect a render target", kInvalid,
     [](Backend& b) { return b.Lock(nullptr, b.target.get()); }},
    {"LockRect outside the level", kInvalid,
     [](Backend& b) {
         const RECT outside{4, 4, 9, 8};
         return b.Lock(&outside);
     }},
    {"LockRect", kOk, [](Backend& b) { return b.Lock(nullptr); }},
    {"LockRect twice", kInvalid, [](Backend& b) { return b.Lock(nullptr); }},
    {"UnlockRect", kOk, [](Backend& b) { return b.managed->UnlockRect(0); }},
    {"UnlockRect twice", kInvalid, [](Backend& b) { return b.managed->UnlockRect(0); }},
    {"Lock from the end of a buffer", kInvalid,
     [](Backend& b) {
         void* p = nullptr;
         return b.vb->Lock(48, 0, &p, 0);
     }},
    {"Lock more than the buffer", kInvalid,
     [](Backend& b) {
         void* p = nullptr;
         return b.vb->Lock(40, 12, &p, 0);
     }},
    // Plain surfaces and reading render targets back
    {"CreateOffscreenPlainSurface in the managed pool", kInvalid,
     [](Backend& b) { return b.Plain(8, kX8, D3DPOOL_MANAGED); }},
    {"CreateOffscreenPlainSurface of D16", kInvalid,
     [](Backend& b) { return b.Plain(8, D3DFMT_D16, D3DPOOL_SYSTEMMEM); }},
    {"GetRenderTargetData of the target texture", kOk,
     [](Backend& b) { return b.ReadBack(b.level.get(), b.plain.get()); }},
    {"GetRenderTargetData into a smaller surface", kInvalid,
     [](Backend& b) {
         IDirect3DSurface9* s = nullptr;
         b.d->CreateOffscreenPlainSurface(8, 8, kX8, D3DPOOL_SYSTEMMEM, &s, nullptr);
         return Released(b.ReadBack(b.level.get(), s), s);
     }},
    {"GetRenderTargetData of a depth surface", kInvalid,
     [](Backend& b) { return b.ReadBack(b.depth.get(), b.plain.get()); }},
    {"GetRenderTargetData into a render target", kInvalid,
     [](Backend& b) { return b.ReadBack(b.level.get(), b.level.get()); }},
    {"GetRenderTargetData into null", kInvalid,
     [](Backend& b) { return b.ReadBack(b.level.get(), nullptr); }},
    {"LockRect the back buffer", kInvalid,
     [](Backend& b) {
         D3DLOCKED_RECT locked{};
         return b.back->LockRect(&locked, nullptr, 0);
     }},
    {"LockRect a plain surface", kOk, [](Backend& b) { return b.LockPlain(); }},
    {"LockRect a plain surface twice", kInvalid, [](Backend& b) { return b.LockPlain(); }},
    {"GetRenderTargetData into a locked surface", kInvalid,
     [](Backend& b) { return b.ReadBack(b.level.get(), b.plain.get()); }},
    {"UnlockRect a plain surface", kOk, [](Backend& b) { return b.plain->UnlockRect(); }},
    {"UnlockRect a plain surface twice", kInvalid,
     [](Backend& b) { return b.plain->UnlockRect(); }},
    {"SetRenderTarget a plain surface", kInvalid,
     [](Backend& b) { return b.d->SetRenderTarget(0, b.plain.get()); }},
    // Targets and state
    {"SetRenderTarget 1", kInvalid,
     [](Backend& b) { return b.d->SetRenderTarget(1, b.level.get()); }},
    {"SetRenderTarget null", kInvalid, [](Backend& b) { return b.d->SetRenderTarget(0, nullptr); }},
    {"SetRenderTarget a managed level", kInvalid,
     [](Backend& b) {
         IDirect3DSurface9* s = nullptr;
         b.managed->GetSurfaceLevel(0, &s);
         return Released(b.d->SetRenderTarget(0, s), s);
     }},
    {"SetRenderTarget a depth surface", kInvalid,
     [](Backend& b) { return b.d->SetRenderTarget(0, b.depth.get()); }},
    {"SetDepthStencilSurface a colour level", kInvalid,
     [](Backend& b) { return b.d->SetDepthStencilSurface(b.level.get()); }},
    {"SetViewport leaving the target", kInvalid,
     [](Backend& b) {
         const D3DVIEWPORT9 vp{16, 16, 17, 16, 0, 1};
         return b.d->SetViewport(&vp);
     }},
    {"SetRenderState 256", kInvalid,
     [](Backend& b) { return b.d->SetRenderState(static_cast<D3DRENDERSTATETYPE>(256), 0); }},
    {"GetRenderState into null", kInvalid,
     [](Backend& b) { return b.d->GetRenderState(D3DRS_CULLMODE, nullptr); }},
    {"SetTextureStageState stage 8", kInvalid,
     [](Backend& b) { return b.d->SetTextureStageState(8, D3DTSS_COLOROP, D3DTOP_MODULATE); }},
    {"SetSamplerState sampler 16", kInvalid,
     [](Backend& b) { return b.d->SetSamplerState(16, D3DSAMP_MINFILTER, D3DTEXF_LINEAR); }},
    {"SetTexture stage 8", kInvalid,
     [](Backend& b) { return b.d->SetTexture(8, b.managed.get()); }},
    {"SetTransform 1", kInvalid,
     [](Backend& b) {
         const D3DMATRIX m{};
         return b.d->SetTransform(static_cast<D3DTRANSFORMSTATETYPE>(1), &m);
     }},
    {"SetLight 8", kInvalid,
     [](Backend& b) {
         D3DLIGHT9 light{};
         light.Type = D3DLIGHT_DIRECTIONAL;
         return b.d->SetLight(8, &light);
     }},
    {"SetLight of type 0", kInvalid,
     [](Backend& b) {
         const D3DLIGHT9 light{};
         return b.d->SetLight(0, &light);
     }},
    {"LightEnable 8", kInvalid, [](Backend& b) { return b.d->LightEnable(8, TRUE); }},
    {"SetStreamSource 1", kInvalid,
     [](Backend& b) { return b.d->SetStreamSource(1, b.vb.get(), 0, 12); }},
    {"SetStreamSource at the end", kInvalid,
     [](Backend& b) { return b.d->SetStreamSource(0, b.vb.get(), 48, 12); }},
    // Drawing
    {"DrawPrimitiveUP", kOk, [](Backend& b) { return b.Draw(); }},
    {"DrawPrimitiveUP of no primitives", kInvalid, [](Backend& b) { return b.Draw(kQuadFvf, 0); }},
    {"DrawPrimitiveUP with FVF 0", kInvalid, [](Backend& b) { return b.Draw(0); }},
    {"DrawPrimitiveUP with a short stride", kInvalid,
     [](Backend& b) { return b.Draw(kQuadFvf, 2, 16); }},
    {"DrawIndexedPrimitive", kOk, [](Backend& b) { return b.Indexed(0, 0, 4, 0, 2, true); }},
    // Nothing set in between: the GL device joins these to the draw above.
    {"DrawIndexedPrimitive joining the last", kOk,
     [](Backend& b) { return b.Indexed(0, 0, 4, 3, 1); }},
    {"DrawIndexedPrimitive below minVertexIndex", kInvalid,
     [](Backend& b) { return b.Indexed(0, 1, 3, 0, 2); }},
    {"DrawIndexedPrimitive past numVertices", kInvalid,
     [](Backend& b) { return b.Indexed(0, 0, 3, 0, 2); }},
    {"DrawIndexedPrimitive past the vertex buffer", kInvalid,
     [](Backend& b) { return b.Indexed(1, 0, 4, 0, 2); }},
    {"DrawIndexedPrimitive past the index buffer", kInvalid,
     [](Backend& b) { return b.Indexed(0, 0, 4, 3, 2); }},
    {"DrawIndexedPrimitive alone, below minVertexIndex", kInvalid,
     [](Backend& b) { return b.Indexed(0, 1, 3, 0, 2, true); }},
    {"DrawIndexedPrimitive without indices", kInvalid,
     [](Backend& b) {
         b.d->SetIndices(nullptr);
         return b.Indexed(0, 0, 4, 0, 2);
     }},
    {"SetRenderTarget the target texture", kOk,
     [](Backend& b) { return b.d->SetRenderTarget(0, b.level.get()); }},
    {"draw with a depth surface too small", kInvalid,
     [](Backend& b) {
         b.d->SetDepthStencilSurface(b.smallDepth.get());
         return b.Draw();
     }},
    {"Clear with a depth surface too small", kInvalid,
     [](Backend& b) { return b.Clear(D3DCLEAR_TARGET, 1.0f); }},
    {"draw into the target texture", kOk,
     [](Backend& b) {
         b.d->SetDepthStencilSurface(b.depth.get());
         return b.Draw();
     }},
    {"draw sampling the target texture", kInvalid,
     [](Backend& b) {
         b.d->SetTexture(0, b.target.get());
         const HRESULT hr = b.Draw();
         b.d->SetTexture(0, nullptr);
         return hr;
     }},
    {"SetRenderTarget back", kOk,
     [](Backend& b) {
         b.d->SetDepthStencilSurface(b.backDepth.get());
         return b.d->SetRenderTarget(0, b.back.get());
     }},
    // Reset
    {"Reset with default-pool resources held", kInvalid, [](Backend& b) { return b.Reset(); }},
    {"Reset once they are released", kOk,
     [](Backend& b) {
         b.ReleaseDefaultPool();
         return b.Reset();
     }},
    {"Reset of no parameters", kInvalid, [](Backend& b) { return b.d->Reset(nullptr); }},
};

}  // namespace

TEST(D3DConformance, BothBackendsAnswerEveryCallAlike) {
    CGLTestDevice gl(32, 32);
    ASSERT_TRUE(gl.Ok()) << gl.Failure();
    CD3DRefusalCapture refusals;
    const auto callLog = std::make_shared<CRecordingCallLog>();
    auto recording = std::make_unique<Backend>(CreateRecordingDirect3D9(callLog), nullptr,
                                               gl.Window(), true);
    D3DPRESENT_PARAMETERS p = CGLTestDevice::DefaultParams(32, 32);
    ASSERT_EQ(recording->d3d->CreateDevice(0, D3DDEVTYPE_HAL, gl.Window(), 0, &p, &recording->d),
              D3D_OK);
    Backend opengl(gl.D3D(), gl.Device(), gl.Window(), false);
    ASSERT_TRUE(recording->Populate());
    ASSERT_TRUE(opengl.Populate());

    for (const Step& step : kSteps) {
        SCOPED_TRACE(step.what);
        refusals.Clear();
        const std::string expected = D3DResultName(step.expected);
        EXPECT_EQ(D3DResultName(step.call(*recording)), expected) << "recording";
        EXPECT_EQ(D3DResultName(step.call(opengl)), expected) << "opengl";
        const std::vector<std::string>& lines = refusals.Lines();
        ASSERT_EQ(lines.size(), FAILED(step.expected) && step.logged ? 2u : 0u);
        if (lines.size() == 2) {
            EXPECT_EQ(lines[0], lines[1]) << "both refuse for one reason";
        }
    }
    recording.reset();
    EXPECT_EQ(callLog->LiveObjects(), 0);
}
