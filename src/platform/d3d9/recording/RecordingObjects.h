// The objects of the recording backend. Private to the backend and its
// accessors in CRecordingJournal.h.
//
// Reference counts follow Direct3D 9: a creator hands out one reference; a
// resource holds a reference on its device while anyone outside the device
// holds the resource; the device's own references on bound objects are kept
// apart (bindings), so that releasing the last outside reference on the
// device lets it unbind everything and go, taking with it the resources that
// only its bindings kept. Surfaces of a texture share the texture's count,
// and the implicit back buffer and depth buffer share the device's.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <type_traits>
#include <vector>

#include "platform/d3d9/D3DDeviceState.h"
#include "platform/d3d9/d3d9.h"
#include "platform/d3d9/recording/CRecordingJournal.h"

class CRecordingDevice;
class CRecordingTexture;

// Sizes beyond these are refused like a driver out of memory would: an
// invalid call and no object.
constexpr UINT kRecordingMaxDimension = 16384;
constexpr UINT kRecordingMaxBufferBytes = 256u * 1024u * 1024u;

class CRecordingResource {
public:
    // A standalone resource counts as a live object and holds a device
    // reference; a dependent one (a texture level, an implicit surface) does
    // neither and forwards its counts.
    CRecordingResource(CRecordingDevice* device, std::string label, D3DPOOL pool,
                       bool standalone);
    virtual ~CRecordingResource();
    CRecordingResource(const CRecordingResource&) = delete;
    CRecordingResource& operator=(const CRecordingResource&) = delete;

    const std::string& Label() const { return label; }
    CRecordingDevice* Owner() const { return device; }
    D3DPOOL Pool() const { return pool; }
    CRecordingJournal& Journal() const;

    virtual ULONG AddPublic();
    virtual ULONG ReleasePublic();
    virtual void Bind();
    virtual void Unbind();

private:
    void DestroyIfUnused();

    CRecordingDevice* device;
    std::string label;
    D3DPOOL pool;
    bool standalone;
    ULONG refs = 1;
    ULONG bindings = 0;
};

class CRecordingSurface final : public IDirect3DSurface9, public CRecordingResource {
public:
    enum class Kind { Standalone, TextureLevel, Implicit };

    CRecordingSurface(CRecordingDevice* device, std::string label, const D3DSURFACE_DESC& desc,
                      Kind kind, CRecordingTexture* container);

    ULONG AddRef() override;
    ULONG Release() override;
    D3DRESOURCETYPE GetType() override;
    HRESULT GetDesc(D3DSURFACE_DESC* desc) override;

    ULONG AddPublic() override;
    ULONG ReleasePublic() override;
    void Bind() override;
    void Unbind() override;

    const D3DSURFACE_DESC& Desc() const { return desc; }
    void Resize(UINT width, UINT height, D3DFORMAT format);
    bool IsRenderTarget() const { return (desc.Usage & D3DUSAGE_RENDERTARGET) != 0; }
    bool IsDepthStencil() const { return (desc.Usage & D3DUSAGE_DEPTHSTENCIL) != 0; }

private:
    D3DSURFACE_DESC desc;
    Kind kind;
    CRecordingTexture* container;  // TextureLevel only
};

class CRecordingTexture final : public IDirect3DTexture9, public CRecordingResource {
public:
    CRecordingTexture(CRecordingDevice* device, std::string label, UINT width, UINT height,
                      UINT levels, DWORD usage, D3DFORMAT format, D3DPOOL pool);

    ULONG AddRef() override;
    ULONG Release() override;
    D3DRESOURCETYPE GetType() override;
    DWORD GetLevelCount() override;
    HRESULT GetLevelDesc(UINT level, D3DSURFACE_DESC* desc) override;
    HRESULT GetSurfaceLevel(UINT level, IDirect3DSurface9** surface) override;
    HRESULT LockRect(UINT level, D3DLOCKED_RECT* locked, const RECT* rect, DWORD flags) override;
    HRESULT UnlockRect(UINT level) override;

private:
    std::vector<std::unique_ptr<CRecordingSurface>> surfaces;
    std::vector<std::vector<std::uint8_t>> pixels;
    std::vector<bool> locked;
};

class CRecordingVertexBuffer final : public IDirect3DVertexBuffer9, public CRecordingResource {
public:
    CRecordingVertexBuffer(CRecordingDevice* device, std::string label,
                           const D3DVERTEXBUFFER_DESC& desc);

    ULONG AddRef() override;
    ULONG Release() override;
    D3DRESOURCETYPE GetType() override;
    HRESULT Lock(UINT offsetToLock, UINT sizeToLock, void** data, DWORD flags) override;
    HRESULT Unlock() override;
    HRESULT GetDesc(D3DVERTEXBUFFER_DESC* desc) override;

    std::vector<std::uint8_t> bytes;

private:
    D3DVERTEXBUFFER_DESC desc;
    int lockCount = 0;
};

class CRecordingIndexBuffer final : public IDirect3DIndexBuffer9, public CRecordingResource {
public:
    CRecordingIndexBuffer(CRecordingDevice* device, std::string label,
                          const D3DINDEXBUFFER_DESC& desc);

    ULONG AddRef() override;
    ULONG Release() override;
    D3DRESOURCETYPE GetType() override;
    HRESULT Lock(UINT offsetToLock, UINT sizeToLock, void** data, DWORD flags) override;
    HRESULT Unlock() override;
    HRESULT GetDesc(D3DINDEXBUFFER_DESC* desc) override;

    UINT IndexSize() const { return desc.Format == D3DFMT_INDEX32 ? 4u : 2u; }
    std::vector<std::uint8_t> bytes;

private:
    D3DINDEXBUFFER_DESC desc;
    int lockCount = 0;
};

class CRecordingDirect3D9 final : public IDirect3D9 {
public:
    explicit CRecordingDirect3D9(std::shared_ptr<CRecordingJournal> journal);

    ULONG AddRef() override;
    ULONG Release() override;
    HRESULT GetAdapterDisplayMode(UINT adapter, D3DDISPLAYMODE* mode) override;
    HRESULT CheckDeviceFormat(UINT adapter, D3DDEVTYPE deviceType, D3DFORMAT adapterFormat,
                              DWORD usage, D3DRESOURCETYPE resourceType,
                              D3DFORMAT checkFormat) override;
    HRESULT GetDeviceCaps(UINT adapter, D3DDEVTYPE deviceType, D3DCAPS9* caps) override;
    HRESULT CheckDeviceMultiSampleType(UINT adapter, D3DDEVTYPE deviceType,
                                       D3DFORMAT surfaceFormat, BOOL windowed,
                                       D3DMULTISAMPLE_TYPE multiSampleType,
                                       DWORD* qualityLevels) override;
    HRESULT CreateDevice(UINT adapter, D3DDEVTYPE deviceType, HWND focusWindow,
                         DWORD behaviorFlags, D3DPRESENT_PARAMETERS* params,
                         IDirect3DDevice9** device) override;

    // References that devices hold; not logged.
    void AddRefInternal() { ++refs; }
    ULONG ReleaseInternal();

private:
    ~CRecordingDirect3D9() override;

    std::shared_ptr<CRecordingJournal> journal;
    ULONG refs = 1;
};

class CRecordingDevice final : public IDirect3DDevice9 {
public:
    CRecordingDevice(std::shared_ptr<CRecordingJournal> journal, CRecordingDirect3D9* d3d,
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
                          D3DPOOL pool, IDirect3DTexture9** texture,
                          HANDLE* sharedHandle) override;
    HRESULT CreateVertexBuffer(UINT length, DWORD usage, DWORD fvf, D3DPOOL pool,
                               IDirect3DVertexBuffer9** buffer, HANDLE* sharedHandle) override;
    HRESULT CreateIndexBuffer(UINT length, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                              IDirect3DIndexBuffer9** buffer, HANDLE* sharedHandle) override;
    HRESULT CreateDepthStencilSurface(UINT width, UINT height, D3DFORMAT format,
                                      D3DMULTISAMPLE_TYPE multiSample, DWORD multisampleQuality,
                                      BOOL discard, IDirect3DSurface9** surface,
                                      HANDLE* sharedHandle) override;

    HRESULT GetRenderTarget(DWORD index, IDirect3DSurface9** surface) override;
    HRESULT SetRenderTarget(DWORD index, IDirect3DSurface9* surface) override;
    HRESULT GetDepthStencilSurface(IDirect3DSurface9** surface) override;
    HRESULT SetDepthStencilSurface(IDirect3DSurface9* surface) override;
    HRESULT SetViewport(const D3DVIEWPORT9* viewport) override;
    HRESULT GetViewport(D3DVIEWPORT9* viewport) override;

    HRESULT SetTransform(D3DTRANSFORMSTATETYPE state, const D3DMATRIX* matrix) override;
    HRESULT SetMaterial(const D3DMATERIAL9* material) override;
    HRESULT SetLight(DWORD index, const D3DLIGHT9* light) override;
    HRESULT LightEnable(DWORD index, BOOL enable) override;
    HRESULT SetRenderState(D3DRENDERSTATETYPE state, DWORD value) override;
    HRESULT GetRenderState(D3DRENDERSTATETYPE state, DWORD* value) override;
    HRESULT SetTexture(DWORD stage, IDirect3DBaseTexture9* texture) override;
    HRESULT SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type,
                                 DWORD value) override;
    HRESULT SetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD value) override;

    HRESULT SetFVF(DWORD fvf) override;
    HRESULT SetStreamSource(UINT stream, IDirect3DVertexBuffer9* buffer, UINT offset,
                            UINT stride) override;
    HRESULT SetIndices(IDirect3DIndexBuffer9* indices) override;
    HRESULT DrawPrimitiveUP(D3DPRIMITIVETYPE type, UINT primitiveCount, const void* vertexData,
                            UINT vertexStride) override;
    HRESULT DrawIndexedPrimitive(D3DPRIMITIVETYPE type, INT baseVertexIndex,
                                 UINT minVertexIndex, UINT numVertices, UINT startIndex,
                                 UINT primitiveCount) override;

    // For resources and accessors.
    CRecordingJournal& Journal() const { return *journal; }
    const D3DDeviceState& State() const { return state; }
    ULONG AddRefInternal() { return ++refs; }
    ULONG ReleaseInternal();
    void ResourceCreated(D3DPOOL pool);
    void ResourceDestroyed(D3DPOOL pool);

private:
    ~CRecordingDevice() override;

    // Sets the result of the call logged last (a validation failure).
    HRESULT Refuse(HRESULT result);
    void AppendToLastText(const std::string& label);
    template <class T>
    void Rebind(T*& slot, std::type_identity_t<T>* next);
    void UnbindAll();
    void BindImplicitTargets();
    void RecordDraw(bool indexed, D3DPRIMITIVETYPE type, UINT primitiveCount);

    std::shared_ptr<CRecordingJournal> journal;
    CRecordingDirect3D9* d3d;  // one internal reference held
    ULONG refs = 1;
    D3DPRESENT_PARAMETERS params;
    D3DDeviceState state;
    std::unique_ptr<CRecordingSurface> backBuffer;
    std::unique_ptr<CRecordingSurface> depthBuffer;
    int defaultPoolAlive = 0;
    bool inScene = false;
};

// The recording resource behind an interface pointer, or null.
CRecordingResource* AsRecordingResource(IUnknown* object);
// Label of a recording object, "null" for null.
std::string LabelOf(IUnknown* object);
// Number of vertices that `count` primitives of `type` take; 0 for an
// unknown type.
std::uint64_t VerticesFor(D3DPRIMITIVETYPE type, UINT count);
