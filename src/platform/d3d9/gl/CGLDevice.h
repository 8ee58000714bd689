// The Direct3D 9 device of the GL backend. Setters check their arguments
// (D3DChecks.h) and write the desired-state record (CD3DStateRecorder holds
// those that do nothing else); each draw plans the GL state from it
// (GLPipelineState), lets the state cache apply what differs and draws. The parts: the back buffer
// (CGLBackBuffer), the framebuffers of the other targets (CGLFramebufferCache), the stream buffer
// and the indexed draws joined through it (CGLStreamBuffer, CGLJoinedDraws), the uniforms
// (CGLUniformUploader) and the shader programs (CGLShaderCache).
#pragma once

#include <epoxy/gl.h>

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/GLContext.h"
#include "platform/d3d9/CD3DStateRecorder.h"
#include "platform/d3d9/D3DChecks.h"
#include "platform/d3d9/D3DDeviceState.h"
#include "platform/d3d9/ID3DResourceOwner.h"
#include "platform/d3d9/d3d9.h"
#include "platform/d3d9/gl/CGLBackBuffer.h"
#include "platform/d3d9/gl/CGLDirect3D9.h"
#include "platform/d3d9/gl/CGLFramebufferCache.h"
#include "platform/d3d9/gl/CGLJoinedDraws.h"
#include "platform/d3d9/gl/CGLShaderCache.h"
#include "platform/d3d9/gl/CGLStateCache.h"
#include "platform/d3d9/gl/CGLStreamBuffer.h"
#include "platform/d3d9/gl/CGLUniformUploader.h"
#include "platform/d3d9/gl/GLPipelineState.h"

class CGLSurface;
class CGLTexture;
class CGLVertexBuffer;
class CGLIndexBuffer;

class CGLDevice final : public IDirect3DDevice9, public ID3DResourceOwner {
public:
    // Makes a device on a context for `window`; D3DERR_NOTAVAILABLE when the
    // provider cannot make one or the context cannot hold the back buffer.
    static HRESULT Create(CGLDirect3D9& d3d, IGLContextProvider& provider, HWND window,
                          D3DPRESENT_PARAMETERS* params, IDirect3DDevice9** device);

    ULONG AddRef() override;
    ULONG Release() override;

    HRESULT Reset(D3DPRESENT_PARAMETERS* params) override;
    HRESULT Present(const RECT* sourceRect, const RECT* destRect, HWND destWindow,
                    const RGNDATA* dirtyRegion) override;
    HRESULT BeginScene() override;
    HRESULT EndScene() override;
    HRESULT Clear(DWORD count, const D3DRECT* rects, DWORD flags, D3DCOLOR color, float z,
                  DWORD stencil) override;

    HRESULT CreateTexture(UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format,
                          D3DPOOL pool, IDirect3DTexture9** texture, HANDLE* sharedHandle) override;
    HRESULT CreateVertexBuffer(UINT length, DWORD usage, DWORD fvf, D3DPOOL pool,
                               IDirect3DVertexBuffer9** buffer, HANDLE* sharedHandle) override;
    HRESULT CreateIndexBuffer(UINT length, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                              IDirect3DIndexBuffer9** buffer, HANDLE* sharedHandle) override;
    HRESULT CreateDepthStencilSurface(UINT width, UINT height, D3DFORMAT format,
                                      D3DMULTISAMPLE_TYPE multiSample, DWORD multisampleQuality,
                                      BOOL discard, IDirect3DSurface9** surface,
                                      HANDLE* sharedHandle) override;
    HRESULT CreateOffscreenPlainSurface(UINT width, UINT height, D3DFORMAT format, D3DPOOL pool,
                                        IDirect3DSurface9** surface, HANDLE* sharedHandle) override;

    HRESULT GetRenderTarget(DWORD index, IDirect3DSurface9** surface) override;
    HRESULT SetRenderTarget(DWORD index, IDirect3DSurface9* surface) override;
    HRESULT GetDepthStencilSurface(IDirect3DSurface9** surface) override;
    HRESULT SetDepthStencilSurface(IDirect3DSurface9* surface) override;
    HRESULT SetViewport(const D3DVIEWPORT9* viewport) override;
    HRESULT GetViewport(D3DVIEWPORT9* viewport) override;
    HRESULT GetRenderTargetData(IDirect3DSurface9* renderTarget,
                                IDirect3DSurface9* destination) override;

    // The setters that only record: what is held back is drawn first, with
    // the state it was given.
    HRESULT SetTransform(D3DTRANSFORMSTATETYPE type, const D3DMATRIX* matrix) override {
        FlushDraws();
        return D3DCallResult("SetTransform", recorder.SetTransform(type, matrix));
    }
    HRESULT SetMaterial(const D3DMATERIAL9* material) override {
        FlushDraws();
        return D3DCallResult("SetMaterial", recorder.SetMaterial(material));
    }
    HRESULT SetLight(DWORD index, const D3DLIGHT9* light) override {
        FlushDraws();
        return D3DCallResult("SetLight", recorder.SetLight(index, light));
    }
    HRESULT LightEnable(DWORD index, BOOL enable) override {
        FlushDraws();
        return D3DCallResult("LightEnable", recorder.LightEnable(index, enable));
    }
    HRESULT SetRenderState(D3DRENDERSTATETYPE type, DWORD value) override {
        FlushDraws();
        return D3DCallResult("SetRenderState", recorder.SetRenderState(type, value));
    }
    HRESULT GetRenderState(D3DRENDERSTATETYPE type, DWORD* value) override {
        return D3DCallResult("GetRenderState", recorder.GetRenderState(type, value));
    }
    HRESULT SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD value) override {
        FlushDraws();
        return D3DCallResult("SetTextureStageState",
                             recorder.SetTextureStageState(stage, type, value));
    }
    HRESULT SetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD value) override {
        FlushDraws();
        return D3DCallResult("SetSamplerState", recorder.SetSamplerState(sampler, type, value));
    }
    HRESULT SetFVF(DWORD fvf) override {
        FlushDraws();
        recorder.SetFVF(fvf);
        return D3D_OK;
    }

    HRESULT SetTexture(DWORD stage, IDirect3DBaseTexture9* texture) override;
    HRESULT SetStreamSource(UINT stream, IDirect3DVertexBuffer9* buffer, UINT offset,
                            UINT stride) override;
    HRESULT SetIndices(IDirect3DIndexBuffer9* indices) override;
    HRESULT DrawPrimitiveUP(D3DPRIMITIVETYPE type, UINT primitiveCount, const void* vertexData,
                            UINT vertexStride) override;
    HRESULT DrawIndexedPrimitive(D3DPRIMITIVETYPE type, INT baseVertexIndex, UINT minVertexIndex,
                                 UINT numVertices, UINT startIndex, UINT primitiveCount) override;

    // --- For the backend's resources, readback and benchmarks -------------
    // Makes the device's context current and draws what is still held back
    // (CGLJoinedDraws); every GL use outside drawing starts here.
    void MakeCurrent();
    void FlushDraws();
    const D3DDeviceLimits& Limits() const { return limits; }
    CGLStateCache& Cache() { return cache; }
    // Default-pool resources the caller holds count against Reset.
    void ResourceReferenced(bool defaultPool) override;
    void ResourceUnreferenced(bool defaultPool) override;
    // A surface's GL storage is about to go: forget the framebuffers using it.
    void SurfaceStorageChanging(const CGLSurface* surface);

    void ReadBackBuffer(std::vector<std::uint32_t>* pixels, UINT* width, UINT* height);
    void Finish();

private:
    CGLDevice(CGLDirect3D9& d3d, std::unique_ptr<IGLContext> context);
    ~CGLDevice() override;

    HRESULT Initialise(const D3DPRESENT_PARAMETERS& params);
    void Activate();
    void ResetState();
    void ResetGLState();
    void ReleaseBindings();
    D3DTargetFacts TargetFacts() const;

    HRESULT PrepareDraw(const char* call, const D3DVertexLayout& layout, const GLDrawFacts& facts);
    void SetSwapInterval();

    CGLDirect3D9& d3d;
    std::unique_ptr<IGLContext> context;
    ULONG refs = 1;
    D3DPRESENT_PARAMETERS params{};
    D3DDeviceLimits limits;
    bool inScene = false;
    int liveDefaultResources = 0;

    D3DDeviceState state;
    // What the device has bound; mirrored into `state` as interfaces.
    CGLSurface* renderTarget = nullptr;
    CGLSurface* depthStencil = nullptr;
    std::array<CGLTexture*, kD3DMaxTextureStages> textures{};
    CGLVertexBuffer* streamSource = nullptr;
    CGLIndexBuffer* indices = nullptr;

    CGLStateCache cache;
    CGLShaderCache shaders;
    CGLUniformUploader uniforms;
    CD3DStateRecorder recorder{state, &uniforms};
    CGLFramebufferCache framebuffers;
    CGLStreamBuffer stream;
    CGLJoinedDraws joined;
    std::unique_ptr<CGLBackBuffer> backBuffer;
    GLuint vertexArray = 0;
    GLuint sampler0 = 0;
};
