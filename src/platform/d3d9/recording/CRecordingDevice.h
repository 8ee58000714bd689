// The recording device: logs every call, applies injected failures (a
// failed call has no effect), checks its arguments as the GL backend does
// (D3DChecks.h), keeps the desired state and the references of bound
// objects, and records each draw with the state in force.
#pragma once

#include <memory>
#include <string>

#include "platform/d3d9/CD3DStateRecorder.h"
#include "platform/d3d9/D3DChecks.h"
#include "platform/d3d9/D3DDeviceState.h"
#include "platform/d3d9/ID3DResourceOwner.h"
#include "platform/d3d9/d3d9.h"
#include "platform/d3d9/recording/CRecordingDirect3D9.h"
#include "platform/d3d9/recording/CRecordingCallLog.h"
#include "platform/d3d9/recording/CRecordingSurface.h"

class CRecordingDevice final : public IDirect3DDevice9, public ID3DResourceOwner {
public:
    // `params` are checked and completed (CheckPresentParameters).
    CRecordingDevice(std::shared_ptr<CRecordingCallLog> callLog, CRecordingDirect3D9* d3d,
                     const D3DPRESENT_PARAMETERS& params);

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

    HRESULT SetTransform(D3DTRANSFORMSTATETYPE state, const D3DMATRIX* matrix) override;
    HRESULT SetMaterial(const D3DMATERIAL9* material) override;
    HRESULT SetLight(DWORD index, const D3DLIGHT9* light) override;
    HRESULT LightEnable(DWORD index, BOOL enable) override;
    HRESULT SetRenderState(D3DRENDERSTATETYPE state, DWORD value) override;
    HRESULT GetRenderState(D3DRENDERSTATETYPE state, DWORD* value) override;
    HRESULT SetTexture(DWORD stage, IDirect3DBaseTexture9* texture) override;
    HRESULT SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD value) override;
    HRESULT SetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD value) override;

    HRESULT SetFVF(DWORD fvf) override;
    HRESULT SetStreamSource(UINT stream, IDirect3DVertexBuffer9* buffer, UINT offset,
                            UINT stride) override;
    HRESULT SetIndices(IDirect3DIndexBuffer9* indices) override;
    HRESULT DrawPrimitiveUP(D3DPRIMITIVETYPE type, UINT primitiveCount, const void* vertexData,
                            UINT vertexStride) override;
    HRESULT DrawIndexedPrimitive(D3DPRIMITIVETYPE type, INT baseVertexIndex, UINT minVertexIndex,
                                 UINT numVertices, UINT startIndex, UINT primitiveCount) override;

    // For resources and accessors.
    CRecordingCallLog& CallLog() const { return *callLog; }
    const D3DDeviceState& State() const { return state; }
    ULONG AddRefInternal() { return ++refs; }
    ULONG ReleaseInternal();
    void ResourceReferenced(bool defaultPool) override;
    void ResourceUnreferenced(bool defaultPool) override;

private:
    ~CRecordingDevice() override;

    // Creating calls log "null" as their output until the object exists.
    void AppendToLastText(const std::string& label);
    void UnbindAll();
    void BindImplicitTargets();
    void ResizeImplicitTargets();
    D3DTargetFacts TargetFacts() const;
    D3DSurfaceFacts SurfaceFacts(IDirect3DSurface9* surface);
    void RecordDraw(bool indexed, const D3DIndexedDraw& arguments);

    std::shared_ptr<CRecordingCallLog> callLog;
    CRecordingDirect3D9* d3d;  // one internal reference held
    ULONG refs = 1;
    D3DPRESENT_PARAMETERS params;
    D3DDeviceState state;
    CD3DStateRecorder recorder{state, nullptr};
    std::unique_ptr<CRecordingSurface> backBuffer;
    std::unique_ptr<CRecordingSurface> depthBuffer;
    int defaultPoolAlive = 0;
    bool inScene = false;
};
