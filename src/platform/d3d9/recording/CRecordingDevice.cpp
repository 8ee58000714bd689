// The recording device: logs every call, applies injected failures (a failed
// call has no effect), keeps the desired state and the references of bound
// objects, validates arguments and records each draw with the state in
// force. Invalid calls answer D3DERR_INVALIDCALL; nothing is ever read or
// written out of bounds.
#include <algorithm>
#include <cstring>
#include <type_traits>
#include <utility>

#include "platform/d3d9/recording/RecordingObjects.h"
#include "platform/d3d9/recording/RecordingText.h"

using recording::Call;
using recording::Dec;
using recording::Flt;
using recording::Hex;

namespace {
bool ValidSize(UINT width, UINT height) {
    return width > 0 && height > 0 && width <= kRecordingMaxDimension &&
           height <= kRecordingMaxDimension;
}

bool IsColourFormat(D3DFORMAT format) {
    return format == D3DFMT_A8R8G8B8 || format == D3DFMT_X8R8G8B8;
}

bool IsDepthFormat(D3DFORMAT format) { return format == D3DFMT_D16 || format == D3DFMT_D24S8; }

UINT FullMipChain(UINT width, UINT height) {
    UINT levels = 1;
    for (UINT size = std::max(width, height); size > 1; size >>= 1) ++levels;
    return levels;
}

std::string RectText(const RECT* rect) {
    if (!rect) return "null";
    return "[" + Dec(rect->left) + " " + Dec(rect->top) + " " + Dec(rect->right) + " " +
           Dec(rect->bottom) + "]";
}

std::string ColourText(const D3DCOLORVALUE& c) {
    return "[" + Flt(c.r) + " " + Flt(c.g) + " " + Flt(c.b) + " " + Flt(c.a) + "]";
}

std::string VectorText(const D3DVECTOR& v) {
    return "[" + Flt(v.x) + " " + Flt(v.y) + " " + Flt(v.z) + "]";
}

D3DSURFACE_DESC SurfaceDesc(UINT width, UINT height, D3DFORMAT format, DWORD usage,
                            D3DMULTISAMPLE_TYPE multiSample, DWORD quality) {
    D3DSURFACE_DESC desc{};
    desc.Format = format;
    desc.Type = D3DRTYPE_SURFACE;
    desc.Usage = usage;
    desc.Pool = D3DPOOL_DEFAULT;
    desc.MultiSampleType = multiSample;
    desc.MultiSampleQuality = quality;
    desc.Width = width;
    desc.Height = height;
    return desc;
}
}  // namespace

CRecordingResource* AsRecordingResource(IUnknown* object) {
    return dynamic_cast<CRecordingResource*>(object);
}

std::string LabelOf(IUnknown* object) {
    if (!object) return "null";
    const CRecordingResource* resource = AsRecordingResource(object);
    return resource ? resource->Label() : std::string("foreign");
}

std::uint64_t VerticesFor(D3DPRIMITIVETYPE type, UINT count) {
    const std::uint64_t n = count;
    switch (type) {
        case D3DPT_POINTLIST: return n;
        case D3DPT_LINELIST: return 2 * n;
        case D3DPT_LINESTRIP: return n + 1;
        case D3DPT_TRIANGLELIST: return 3 * n;
        case D3DPT_TRIANGLESTRIP:
        case D3DPT_TRIANGLEFAN: return n + 2;
    }
    return 0;
}

// ---------------------------------------------------------------------------
// Life

CRecordingDevice::CRecordingDevice(std::shared_ptr<CRecordingJournal> journal,
                                   CRecordingDirect3D9* d3d, const D3DPRESENT_PARAMETERS& params)
    : journal(std::move(journal)), d3d(d3d), params(params) {
    d3d->AddRefInternal();
    this->journal->ObjectCreated();
    if (this->params.BackBufferFormat == D3DFMT_UNKNOWN) {
        this->params.BackBufferFormat = this->journal->displayMode.Format;
    }
    const D3DFORMAT depthFormat = IsDepthFormat(params.AutoDepthStencilFormat)
                                      ? params.AutoDepthStencilFormat
                                      : D3DFMT_D16;
    backBuffer = std::make_unique<CRecordingSurface>(
        this, "backbuffer",
        SurfaceDesc(params.BackBufferWidth, params.BackBufferHeight,
                    this->params.BackBufferFormat, D3DUSAGE_RENDERTARGET,
                    params.MultiSampleType, params.MultiSampleQuality),
        CRecordingSurface::Kind::Implicit, nullptr);
    depthBuffer = std::make_unique<CRecordingSurface>(
        this, "depthbuffer",
        SurfaceDesc(params.BackBufferWidth, params.BackBufferHeight, depthFormat,
                    D3DUSAGE_DEPTHSTENCIL, params.MultiSampleType, params.MultiSampleQuality),
        CRecordingSurface::Kind::Implicit, nullptr);
    state.ResetToDefaults(params.EnableAutoDepthStencil != FALSE, params.BackBufferWidth,
                          params.BackBufferHeight);
    BindImplicitTargets();
}

CRecordingDevice::~CRecordingDevice() {
    journal->ObjectDestroyed();
    d3d->ReleaseInternal();
}

ULONG CRecordingDevice::AddRef() {
    journal->Note("AddRef", "AddRef()", D3D_OK);
    return AddRefInternal();
}

ULONG CRecordingDevice::Release() {
    journal->Note("Release", "Release()", D3D_OK);
    return ReleaseInternal();
}

ULONG CRecordingDevice::ReleaseInternal() {
    if (refs == 0) return 0;
    const ULONG left = --refs;
    if (left == 0) {
        // Nobody outside holds the device or any of its resources: the
        // bindings are the last references, and they go with the device.
        UnbindAll();
        delete this;
    }
    return left;
}

void CRecordingDevice::ResourceCreated(D3DPOOL pool) {
    if (pool == D3DPOOL_DEFAULT) ++defaultPoolAlive;
}

void CRecordingDevice::ResourceDestroyed(D3DPOOL pool) {
    if (pool == D3DPOOL_DEFAULT) --defaultPoolAlive;
}

HRESULT CRecordingDevice::Refuse(HRESULT result) {
    journal->calls.back().result = result;
    return result;
}

void CRecordingDevice::AppendToLastText(const std::string& label) {
    // Creating calls log "null" as their output until the object exists.
    std::string& text = journal->calls.back().text;
    const std::string placeholder = "null)";
    if (text.size() >= placeholder.size()) {
        text.replace(text.size() - placeholder.size(), placeholder.size(), label + ")");
    }
}

template <class T>
void CRecordingDevice::Rebind(T*& slot, std::type_identity_t<T>* next) {
    // Bind first: rebinding the same object must not drop its last reference.
    if (next) AsRecordingResource(next)->Bind();
    T* old = std::exchange(slot, next);
    if (old) AsRecordingResource(old)->Unbind();
}

void CRecordingDevice::UnbindAll() {
    for (auto& texture : state.textures) Rebind(texture, nullptr);
    Rebind(state.streamSource, nullptr);
    Rebind(state.indices, nullptr);
    Rebind(state.renderTarget, nullptr);
    Rebind(state.depthStencil, nullptr);
}

void CRecordingDevice::BindImplicitTargets() {
    Rebind(state.renderTarget, backBuffer.get());
    Rebind(state.depthStencil, params.EnableAutoDepthStencil ? depthBuffer.get() : nullptr);
}

// ---------------------------------------------------------------------------
// Presentation

HRESULT CRecordingDevice::Reset(D3DPRESENT_PARAMETERS* newParams) {
    const HRESULT hr = journal->Record("Reset", Call("Reset", {recording::PresentParams(newParams)}));
    if (FAILED(hr)) return hr;
    if (!newParams || !ValidSize(newParams->BackBufferWidth, newParams->BackBufferHeight)) {
        return Refuse(D3DERR_INVALIDCALL);
    }
    // Direct3D 9 refuses to reset while default-pool resources exist.
    if (defaultPoolAlive > 0) return Refuse(D3DERR_INVALIDCALL);

    params = *newParams;
    if (params.BackBufferFormat == D3DFMT_UNKNOWN) {
        params.BackBufferFormat = journal->displayMode.Format;
    }
    UnbindAll();
    backBuffer->Resize(params.BackBufferWidth, params.BackBufferHeight, params.BackBufferFormat);
    depthBuffer->Resize(params.BackBufferWidth, params.BackBufferHeight,
                        IsDepthFormat(params.AutoDepthStencilFormat) ? params.AutoDepthStencilFormat
                                                                     : D3DFMT_D16);
    state.ResetToDefaults(params.EnableAutoDepthStencil != FALSE, params.BackBufferWidth,
                          params.BackBufferHeight);
    BindImplicitTargets();
    inScene = false;
    return D3D_OK;
}

HRESULT CRecordingDevice::Present(const RECT* sourceRect, const RECT* destRect, HWND destWindow,
                                  const RGNDATA* dirtyRegion) {
    return journal->Record("Present", Call("Present", {RectText(sourceRect), RectText(destRect),
                                                       recording::Handle(destWindow),
                                                       recording::Handle(dirtyRegion)}));
}

HRESULT CRecordingDevice::BeginScene() {
    const HRESULT hr = journal->Record("BeginScene", "BeginScene()");
    if (FAILED(hr)) return hr;
    if (inScene) return Refuse(D3DERR_INVALIDCALL);
    inScene = true;
    return D3D_OK;
}

HRESULT CRecordingDevice::EndScene() {
    const HRESULT hr = journal->Record("EndScene", "EndScene()");
    if (FAILED(hr)) return hr;
    if (!inScene) return Refuse(D3DERR_INVALIDCALL);
    inScene = false;
    return D3D_OK;
}

HRESULT CRecordingDevice::Clear(DWORD count, const D3DRECT* rects, DWORD flags, D3DCOLOR color,
                                float z, DWORD stencil) {
    const HRESULT hr = journal->Record(
        "Clear", Call("Clear", {Dec(count), rects ? "rects" : "null", Dec(flags), Hex(color),
                                Flt(z), Dec(stencil)}));
    if (FAILED(hr)) return hr;
    constexpr DWORD kKnown = D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL;
    if ((count > 0 && !rects) || flags == 0 || (flags & ~kKnown) != 0 || !(z >= 0.0f && z <= 1.0f)) {
        return Refuse(D3DERR_INVALIDCALL);
    }
    if ((flags & (D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL)) != 0 && !state.depthStencil) {
        return Refuse(D3DERR_INVALIDCALL);
    }
    if ((flags & D3DCLEAR_STENCIL) != 0) {
        const auto* depth = dynamic_cast<CRecordingSurface*>(state.depthStencil);
        if (!depth || depth->Desc().Format != D3DFMT_D24S8) return Refuse(D3DERR_INVALIDCALL);
    }
    return D3D_OK;
}

// ---------------------------------------------------------------------------
// Resources

HRESULT CRecordingDevice::CreateTexture(UINT width, UINT height, UINT levels, DWORD usage,
                                        D3DFORMAT format, D3DPOOL pool,
                                        IDirect3DTexture9** texture, HANDLE* sharedHandle) {
    const HRESULT hr = journal->Record(
        "CreateTexture", Call("CreateTexture", {Dec(width), Dec(height), Dec(levels), Dec(usage),
                                                Dec(format), Dec(pool), "null"}));
    if (FAILED(hr)) return hr;
    if (!texture || sharedHandle || !ValidSize(width, height) || !IsColourFormat(format)) {
        return Refuse(D3DERR_INVALIDCALL);
    }
    const UINT fullChain = FullMipChain(width, height);
    if (levels == 0) levels = fullChain;
    if (levels > fullChain || (usage & D3DUSAGE_DEPTHSTENCIL) != 0) {
        return Refuse(D3DERR_INVALIDCALL);
    }
    // Render targets live in video memory only.
    if ((usage & D3DUSAGE_RENDERTARGET) != 0 && pool != D3DPOOL_DEFAULT) {
        return Refuse(D3DERR_INVALIDCALL);
    }
    auto* created = new CRecordingTexture(this, journal->NextLabel("texture"), width, height,
                                          levels, usage, format, pool);  // owned by its count
    AppendToLastText(created->Label());
    *texture = created;
    return D3D_OK;
}

HRESULT CRecordingDevice::CreateVertexBuffer(UINT length, DWORD usage, DWORD fvf, D3DPOOL pool,
                                             IDirect3DVertexBuffer9** buffer,
                                             HANDLE* sharedHandle) {
    const HRESULT hr = journal->Record(
        "CreateVertexBuffer",
        Call("CreateVertexBuffer", {Dec(length), Dec(usage), Dec(fvf), Dec(pool), "null"}));
    if (FAILED(hr)) return hr;
    if (!buffer || sharedHandle || length == 0 || length > kRecordingMaxBufferBytes) {
        return Refuse(D3DERR_INVALIDCALL);
    }
    D3DVERTEXBUFFER_DESC desc{};
    desc.Format = D3DFMT_UNKNOWN;
    desc.Type = D3DRTYPE_VERTEXBUFFER;
    desc.Usage = usage;
    desc.Pool = pool;
    desc.Size = length;
    desc.FVF = fvf;
    auto* created = new CRecordingVertexBuffer(this, journal->NextLabel("vb"), desc);
    AppendToLastText(created->Label());
    *buffer = created;
    return D3D_OK;
}

HRESULT CRecordingDevice::CreateIndexBuffer(UINT length, DWORD usage, D3DFORMAT format,
                                            D3DPOOL pool, IDirect3DIndexBuffer9** buffer,
                                            HANDLE* sharedHandle) {
    const HRESULT hr = journal->Record(
        "CreateIndexBuffer",
        Call("CreateIndexBuffer", {Dec(length), Dec(usage), Dec(format), Dec(pool), "null"}));
    if (FAILED(hr)) return hr;
    if (!buffer || sharedHandle || length == 0 || length > kRecordingMaxBufferBytes ||
        (format != D3DFMT_INDEX16 && format != D3DFMT_INDEX32)) {
        return Refuse(D3DERR_INVALIDCALL);
    }
    D3DINDEXBUFFER_DESC desc{};
    desc.Format = format;
    desc.Type = D3DRTYPE_INDEXBUFFER;
    desc.Usage = usage;
    desc.Pool = pool;
    desc.Size = length;
    auto* created = new CRecordingIndexBuffer(this, journal->NextLabel("ib"), desc);
    AppendToLastText(created->Label());
    *buffer = created;
    return D3D_OK;
}

HRESULT CRecordingDevice::CreateDepthStencilSurface(UINT width, UINT height, D3DFORMAT format,
                                                    D3DMULTISAMPLE_TYPE multiSample,
                                                    DWORD multisampleQuality, BOOL discard,
                                                    IDirect3DSurface9** surface,
                                                    HANDLE* sharedHandle) {
    const HRESULT hr = journal->Record(
        "CreateDepthStencilSurface",
        Call("CreateDepthStencilSurface", {Dec(width), Dec(height), Dec(format), Dec(multiSample),
                                           Dec(multisampleQuality), Dec(discard), "null"}));
    if (FAILED(hr)) return hr;
    if (!surface || sharedHandle || !ValidSize(width, height) || !IsDepthFormat(format)) {
        return Refuse(D3DERR_INVALIDCALL);
    }
    auto* created = new CRecordingSurface(
        this, journal->NextLabel("surface"),
        SurfaceDesc(width, height, format, D3DUSAGE_DEPTHSTENCIL, multiSample, multisampleQuality),
        CRecordingSurface::Kind::Standalone, nullptr);
    AppendToLastText(created->Label());
    *surface = created;
    return D3D_OK;
}

// ---------------------------------------------------------------------------
// Targets

HRESULT CRecordingDevice::GetRenderTarget(DWORD index, IDirect3DSurface9** surface) {
    const HRESULT hr = journal->Record("GetRenderTarget", Call("GetRenderTarget", {Dec(index)}));
    if (FAILED(hr)) return hr;
    if (index != 0 || !surface || !state.renderTarget) return Refuse(D3DERR_INVALIDCALL);
    AsRecordingResource(state.renderTarget)->AddPublic();
    *surface = state.renderTarget;
    return D3D_OK;
}

HRESULT CRecordingDevice::SetRenderTarget(DWORD index, IDirect3DSurface9* surface) {
    const HRESULT hr = journal->Record("SetRenderTarget",
                                       Call("SetRenderTarget", {Dec(index), LabelOf(surface)}));
    if (FAILED(hr)) return hr;
    auto* target = dynamic_cast<CRecordingSurface*>(surface);
    if (index != 0 || !target || target->Owner() != this || !target->IsRenderTarget()) {
        return Refuse(D3DERR_INVALIDCALL);
    }
    Rebind(state.renderTarget, surface);
    // Setting render target 0 resets the viewport to the whole target.
    state.viewport = D3DVIEWPORT9{0, 0, target->Desc().Width, target->Desc().Height, 0.0f, 1.0f};
    return D3D_OK;
}

HRESULT CRecordingDevice::GetDepthStencilSurface(IDirect3DSurface9** surface) {
    const HRESULT hr = journal->Record("GetDepthStencilSurface", "GetDepthStencilSurface()");
    if (FAILED(hr)) return hr;
    if (!surface) return Refuse(D3DERR_INVALIDCALL);
    if (!state.depthStencil) {
        *surface = nullptr;
        return Refuse(D3DERR_INVALIDCALL);
    }
    AsRecordingResource(state.depthStencil)->AddPublic();
    *surface = state.depthStencil;
    return D3D_OK;
}

HRESULT CRecordingDevice::SetDepthStencilSurface(IDirect3DSurface9* surface) {
    const HRESULT hr = journal->Record("SetDepthStencilSurface",
                                       Call("SetDepthStencilSurface", {LabelOf(surface)}));
    if (FAILED(hr)) return hr;
    if (surface) {
        auto* depth = dynamic_cast<CRecordingSurface*>(surface);
        if (!depth || depth->Owner() != this || !depth->IsDepthStencil()) {
            return Refuse(D3DERR_INVALIDCALL);
        }
    }
    Rebind(state.depthStencil, surface);
    return D3D_OK;
}

HRESULT CRecordingDevice::SetViewport(const D3DVIEWPORT9* viewport) {
    std::string text = "null";
    if (viewport) {
        text = Dec(viewport->X) + ", " + Dec(viewport->Y) + ", " + Dec(viewport->Width) + ", " +
               Dec(viewport->Height) + ", " + Flt(viewport->MinZ) + ", " + Flt(viewport->MaxZ);
    }
    const HRESULT hr = journal->Record("SetViewport", Call("SetViewport", {text}));
    if (FAILED(hr)) return hr;
    if (!viewport) return Refuse(D3DERR_INVALIDCALL);
    // The viewport must lie inside the render target.
    const auto* target = dynamic_cast<CRecordingSurface*>(state.renderTarget);
    const std::uint64_t right = std::uint64_t{viewport->X} + viewport->Width;
    const std::uint64_t bottom = std::uint64_t{viewport->Y} + viewport->Height;
    if (!target || right > target->Desc().Width || bottom > target->Desc().Height) {
        return Refuse(D3DERR_INVALIDCALL);
    }
    state.viewport = *viewport;
    return D3D_OK;
}

HRESULT CRecordingDevice::GetViewport(D3DVIEWPORT9* viewport) {
    const HRESULT hr = journal->Record("GetViewport", "GetViewport()");
    if (FAILED(hr)) return hr;
    if (!viewport) return Refuse(D3DERR_INVALIDCALL);
    *viewport = state.viewport;
    return D3D_OK;
}

// ---------------------------------------------------------------------------
// Fixed-function state

HRESULT CRecordingDevice::SetTransform(D3DTRANSFORMSTATETYPE which, const D3DMATRIX* matrix) {
    const HRESULT hr = journal->Record(
        "SetTransform", Call("SetTransform", {Dec(which), recording::Matrix(matrix)}));
    if (FAILED(hr)) return hr;
    if (!matrix) return Refuse(D3DERR_INVALIDCALL);
    switch (which) {
        case D3DTS_WORLD: state.world = *matrix; return D3D_OK;
        case D3DTS_VIEW: state.view = *matrix; return D3D_OK;
        case D3DTS_PROJECTION: state.projection = *matrix; return D3D_OK;
    }
    return Refuse(D3DERR_INVALIDCALL);
}

HRESULT CRecordingDevice::SetMaterial(const D3DMATERIAL9* material) {
    std::string text = "null";
    if (material) {
        text = ColourText(material->Diffuse) + ", " + ColourText(material->Ambient) + ", " +
               ColourText(material->Specular) + ", " + ColourText(material->Emissive) + ", " +
               Flt(material->Power);
    }
    const HRESULT hr = journal->Record("SetMaterial", Call("SetMaterial", {text}));
    if (FAILED(hr)) return hr;
    if (!material) return Refuse(D3DERR_INVALIDCALL);
    state.material = *material;
    return D3D_OK;
}

HRESULT CRecordingDevice::SetLight(DWORD index, const D3DLIGHT9* light) {
    std::string text = "null";
    if (light) {
        text = Dec(light->Type) + ", " + ColourText(light->Diffuse) + ", " +
               ColourText(light->Specular) + ", " + ColourText(light->Ambient) + ", " +
               VectorText(light->Position) + ", " + VectorText(light->Direction) + ", " +
               Flt(light->Range) + ", " + Flt(light->Falloff) + ", " + Flt(light->Attenuation0) +
               ", " + Flt(light->Attenuation1) + ", " + Flt(light->Attenuation2) + ", " +
               Flt(light->Theta) + ", " + Flt(light->Phi);
    }
    const HRESULT hr = journal->Record("SetLight", Call("SetLight", {Dec(index), text}));
    if (FAILED(hr)) return hr;
    if (!light || index >= kD3DMaxLights || light->Type < D3DLIGHT_POINT ||
        light->Type > D3DLIGHT_DIRECTIONAL) {
        return Refuse(D3DERR_INVALIDCALL);
    }
    state.lights[index] = *light;
    return D3D_OK;
}

HRESULT CRecordingDevice::LightEnable(DWORD index, BOOL enable) {
    const HRESULT hr = journal->Record("LightEnable", Call("LightEnable", {Dec(index), Dec(enable)}));
    if (FAILED(hr)) return hr;
    if (index >= kD3DMaxLights) return Refuse(D3DERR_INVALIDCALL);
    state.lightEnabled[index] = enable ? TRUE : FALSE;
    return D3D_OK;
}

HRESULT CRecordingDevice::SetRenderState(D3DRENDERSTATETYPE which, DWORD value) {
    const HRESULT hr =
        journal->Record("SetRenderState", Call("SetRenderState", {Dec(which), Dec(value)}));
    if (FAILED(hr)) return hr;
    if (!IsValidRenderState(which)) return Refuse(D3DERR_INVALIDCALL);
    state.renderStates[which] = value;
    return D3D_OK;
}

HRESULT CRecordingDevice::GetRenderState(D3DRENDERSTATETYPE which, DWORD* value) {
    const HRESULT hr = journal->Record("GetRenderState", Call("GetRenderState", {Dec(which)}));
    if (FAILED(hr)) return hr;
    if (!value || !IsValidRenderState(which)) return Refuse(D3DERR_INVALIDCALL);
    *value = state.renderStates[which];
    return D3D_OK;
}

HRESULT CRecordingDevice::SetTexture(DWORD stage, IDirect3DBaseTexture9* texture) {
    const HRESULT hr =
        journal->Record("SetTexture", Call("SetTexture", {Dec(stage), LabelOf(texture)}));
    if (FAILED(hr)) return hr;
    if (stage >= kD3DMaxTextureStages) return Refuse(D3DERR_INVALIDCALL);
    if (texture) {
        auto* mine = dynamic_cast<CRecordingTexture*>(texture);
        if (!mine || mine->Owner() != this) return Refuse(D3DERR_INVALIDCALL);
    }
    Rebind(state.textures[stage], texture);
    return D3D_OK;
}

HRESULT CRecordingDevice::SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type,
                                               DWORD value) {
    const HRESULT hr = journal->Record(
        "SetTextureStageState", Call("SetTextureStageState", {Dec(stage), Dec(type), Dec(value)}));
    if (FAILED(hr)) return hr;
    if (!IsValidStageState(stage, type)) return Refuse(D3DERR_INVALIDCALL);
    state.stages[stage].states[type] = value;
    return D3D_OK;
}

HRESULT CRecordingDevice::SetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD value) {
    const HRESULT hr = journal->Record(
        "SetSamplerState", Call("SetSamplerState", {Dec(sampler), Dec(type), Dec(value)}));
    if (FAILED(hr)) return hr;
    if (!IsValidSamplerState(sampler, type)) return Refuse(D3DERR_INVALIDCALL);
    state.samplers[sampler].states[type] = value;
    return D3D_OK;
}

// ---------------------------------------------------------------------------
// Geometry and drawing

HRESULT CRecordingDevice::SetFVF(DWORD fvf) {
    const HRESULT hr = journal->Record("SetFVF", Call("SetFVF", {Dec(fvf)}));
    if (FAILED(hr)) return hr;
    state.fvf = fvf;
    return D3D_OK;
}

HRESULT CRecordingDevice::SetStreamSource(UINT stream, IDirect3DVertexBuffer9* buffer,
                                          UINT offset, UINT stride) {
    const HRESULT hr = journal->Record(
        "SetStreamSource",
        Call("SetStreamSource", {Dec(stream), LabelOf(buffer), Dec(offset), Dec(stride)}));
    if (FAILED(hr)) return hr;
    if (stream != 0) return Refuse(D3DERR_INVALIDCALL);
    if (buffer) {
        auto* mine = dynamic_cast<CRecordingVertexBuffer*>(buffer);
        if (!mine || mine->Owner() != this || offset >= mine->bytes.size()) {
            return Refuse(D3DERR_INVALIDCALL);
        }
    }
    Rebind(state.streamSource, buffer);
    state.streamOffset = offset;
    state.streamStride = stride;
    return D3D_OK;
}

HRESULT CRecordingDevice::SetIndices(IDirect3DIndexBuffer9* indices) {
    const HRESULT hr = journal->Record("SetIndices", Call("SetIndices", {LabelOf(indices)}));
    if (FAILED(hr)) return hr;
    if (indices) {
        auto* mine = dynamic_cast<CRecordingIndexBuffer*>(indices);
        if (!mine || mine->Owner() != this) return Refuse(D3DERR_INVALIDCALL);
    }
    Rebind(state.indices, indices);
    return D3D_OK;
}

void CRecordingDevice::RecordDraw(bool indexed, D3DPRIMITIVETYPE type, UINT primitiveCount) {
    CRecordedDraw draw;
    draw.callIndex = journal->calls.size() - 1;
    draw.indexed = indexed;
    draw.type = type;
    draw.primitiveCount = primitiveCount;
    draw.vertexStride = state.streamStride;
    draw.state = state;
    draw.renderTarget = LabelOf(state.renderTarget);
    draw.depthStencil = LabelOf(state.depthStencil);
    draw.texture0 = LabelOf(state.textures[0]);
    journal->draws.push_back(std::move(draw));
}

HRESULT CRecordingDevice::DrawPrimitiveUP(D3DPRIMITIVETYPE type, UINT primitiveCount,
                                          const void* vertexData, UINT vertexStride) {
    const HRESULT hr = journal->Record(
        "DrawPrimitiveUP", Call("DrawPrimitiveUP", {Dec(type), Dec(primitiveCount),
                                                    vertexData ? "data" : "null",
                                                    Dec(vertexStride)}));
    if (FAILED(hr)) return hr;
    const std::uint64_t bytes = VerticesFor(type, primitiveCount) * vertexStride;
    if (!vertexData || primitiveCount == 0 || bytes == 0 || bytes > kRecordingMaxBufferBytes) {
        return Refuse(D3DERR_INVALIDCALL);
    }
    // The user pointer takes the place of stream 0, which is left empty
    // afterwards, as Direct3D 9 does.
    Rebind(state.streamSource, nullptr);
    state.streamOffset = 0;
    state.streamStride = 0;
    RecordDraw(false, type, primitiveCount);
    CRecordedDraw& draw = journal->draws.back();
    draw.vertexStride = vertexStride;
    const auto* first = static_cast<const std::uint8_t*>(vertexData);
    draw.vertices.assign(first, first + bytes);
    return D3D_OK;
}

HRESULT CRecordingDevice::DrawIndexedPrimitive(D3DPRIMITIVETYPE type, INT baseVertexIndex,
                                               UINT minVertexIndex, UINT numVertices,
                                               UINT startIndex, UINT primitiveCount) {
    const HRESULT hr = journal->Record(
        "DrawIndexedPrimitive",
        Call("DrawIndexedPrimitive", {Dec(type), Dec(baseVertexIndex), Dec(minVertexIndex),
                                      Dec(numVertices), Dec(startIndex), Dec(primitiveCount)}));
    if (FAILED(hr)) return hr;
    auto* vertices = dynamic_cast<CRecordingVertexBuffer*>(state.streamSource);
    auto* indices = dynamic_cast<CRecordingIndexBuffer*>(state.indices);
    const std::uint64_t indexCount = VerticesFor(type, primitiveCount);
    if (!vertices || !indices || state.streamStride == 0 || primitiveCount == 0 ||
        indexCount == 0) {
        return Refuse(D3DERR_INVALIDCALL);
    }
    const std::uint64_t indexSize = indices->IndexSize();
    if ((std::uint64_t{startIndex} + indexCount) * indexSize > indices->bytes.size()) {
        return Refuse(D3DERR_INVALIDCALL);
    }
    const std::uint64_t vertexCount =
        (vertices->bytes.size() - state.streamOffset) / state.streamStride;
    const std::uint64_t rangeEnd = std::uint64_t{minVertexIndex} + numVertices;
    for (std::uint64_t i = 0; i < indexCount; ++i) {
        const std::uint8_t* at = indices->bytes.data() + (startIndex + i) * indexSize;
        std::uint32_t index = 0;
        if (indexSize == 2) {
            std::uint16_t small = 0;
            std::memcpy(&small, at, sizeof small);
            index = small;
        } else {
            std::memcpy(&index, at, sizeof index);
        }
        // Every index must lie in the declared range and, offset by the
        // base, inside the vertex buffer.
        const std::int64_t vertex = std::int64_t{baseVertexIndex} + index;
        if (index < minVertexIndex || index >= rangeEnd || vertex < 0 ||
            static_cast<std::uint64_t>(vertex) >= vertexCount) {
            return Refuse(D3DERR_INVALIDCALL);
        }
    }
    RecordDraw(true, type, primitiveCount);
    CRecordedDraw& draw = journal->draws.back();
    draw.baseVertexIndex = baseVertexIndex;
    draw.minVertexIndex = minVertexIndex;
    draw.numVertices = numVertices;
    draw.startIndex = startIndex;
    return D3D_OK;
}

// ---------------------------------------------------------------------------
// Accessors for tests

const D3DDeviceState& RecordingDeviceState(IDirect3DDevice9* device) {
    static const D3DDeviceState none{};
    const auto* recording = dynamic_cast<CRecordingDevice*>(device);
    return recording ? recording->State() : none;
}

const std::vector<std::uint8_t>& RecordingBufferBytes(IDirect3DResource9* buffer) {
    static const std::vector<std::uint8_t> none;
    if (const auto* vb = dynamic_cast<CRecordingVertexBuffer*>(buffer)) return vb->bytes;
    if (const auto* ib = dynamic_cast<CRecordingIndexBuffer*>(buffer)) return ib->bytes;
    return none;
}

std::string RecordingLabel(IUnknown* object) { return LabelOf(object); }
