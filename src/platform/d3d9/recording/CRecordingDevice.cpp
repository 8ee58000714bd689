#include "platform/d3d9/recording/CRecordingDevice.h"

#include <utility>

#include "platform/d3d9/recording/CRecordingIndexBuffer.h"
#include "platform/d3d9/recording/CRecordingTexture.h"
#include "platform/d3d9/recording/CRecordingVertexBuffer.h"
#include "platform/d3d9/recording/RecordingText.h"

using recording::Call;
using recording::Dec;
using recording::Flt;
using recording::Hex;

namespace {

// What the recording device offers: the Direct3D maximum sizes rather than
// a GL implementation's. A real device has those limits; the recording one
// need not model them.
constexpr D3DDeviceLimits kLimits{};

template <class T>
T* Mine(CRecordingDevice* device, IUnknown* object) {
    auto* mine = dynamic_cast<T*>(object);
    return mine && mine->Owner() == device ? mine : nullptr;
}

}  // namespace

// ---------------------------------------------------------------------------
// Life

CRecordingDevice::CRecordingDevice(std::shared_ptr<CRecordingCallLog> callLog,
                                   CRecordingDirect3D9* d3d, const D3DPRESENT_PARAMETERS& params)
    : callLog(std::move(callLog)), d3d(d3d), params(params) {
    d3d->AddRefInternal();
    this->callLog->ObjectCreated();
    backBuffer = std::make_unique<CRecordingSurface>(
        this, "backbuffer",
        RecordingSurfaceDesc(0, 0, D3DFMT_UNKNOWN, D3DUSAGE_RENDERTARGET, D3DPOOL_DEFAULT,
                             D3DMULTISAMPLE_NONE),
        CRecordingSurface::Kind::Implicit, nullptr);
    depthBuffer = std::make_unique<CRecordingSurface>(
        this, "depthbuffer",
        RecordingSurfaceDesc(0, 0, D3DFMT_D16, D3DUSAGE_DEPTHSTENCIL, D3DPOOL_DEFAULT,
                             D3DMULTISAMPLE_NONE),
        CRecordingSurface::Kind::Implicit, nullptr);
    ResizeImplicitTargets();
    state.ResetToDefaults(params.EnableAutoDepthStencil != FALSE, params.BackBufferWidth,
                          params.BackBufferHeight);
    BindImplicitTargets();
}

CRecordingDevice::~CRecordingDevice() {
    callLog->ObjectDestroyed();
    d3d->ReleaseInternal();
}

ULONG CRecordingDevice::AddRef() {
    callLog->Note("AddRef", "AddRef()", D3D_OK);
    return AddRefInternal();
}

ULONG CRecordingDevice::Release() {
    callLog->Note("Release", "Release()", D3D_OK);
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

void CRecordingDevice::ResourceReferenced(bool defaultPool) {
    AddRefInternal();
    if (defaultPool) ++defaultPoolAlive;
}

void CRecordingDevice::ResourceUnreferenced(bool defaultPool) {
    if (defaultPool) --defaultPoolAlive;
    ReleaseInternal();
}

void CRecordingDevice::AppendToLastText(const std::string& label) {
    std::string& text = callLog->calls.back().text;
    const std::string placeholder = "null)";
    if (text.size() >= placeholder.size()) {
        text.replace(text.size() - placeholder.size(), placeholder.size(), label + ")");
    }
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

void CRecordingDevice::ResizeImplicitTargets() {
    backBuffer->Resize(params.BackBufferWidth, params.BackBufferHeight, params.BackBufferFormat,
                       params.MultiSampleType);
    depthBuffer->Resize(params.BackBufferWidth, params.BackBufferHeight,
                        params.EnableAutoDepthStencil ? params.AutoDepthStencilFormat : D3DFMT_D16,
                        params.MultiSampleType);
}

D3DTargetFacts CRecordingDevice::TargetFacts() const {
    D3DTargetFacts t;
    const auto* target = dynamic_cast<const CRecordingSurface*>(state.renderTarget);
    if (target) {
        t.hasTarget = true;
        t.targetWidth = target->Desc().Width;
        t.targetHeight = target->Desc().Height;
        t.targetMultiSample = target->Desc().MultiSampleType;
        t.texture0IsTarget =
            target->Container() != nullptr &&
            static_cast<IDirect3DBaseTexture9*>(target->Container()) == state.textures[0];
    }
    if (const auto* depth = dynamic_cast<const CRecordingSurface*>(state.depthStencil)) {
        t.hasDepth = true;
        t.depthWidth = depth->Desc().Width;
        t.depthHeight = depth->Desc().Height;
        t.depthMultiSample = depth->Desc().MultiSampleType;
        t.depthFormat = depth->Desc().Format;
    }
    return t;
}

// ---------------------------------------------------------------------------
// Presentation

HRESULT CRecordingDevice::Reset(D3DPRESENT_PARAMETERS* newParams) {
    const HRESULT hr =
        callLog->Record("Reset", Call("Reset", {recording::PresentParams(newParams)}));
    if (FAILED(hr)) return hr;
    if (!newParams) return callLog->Verdict(D3DRefusal::NullPointer);
    // Direct3D 9 refuses to reset while the caller holds default-pool resources.
    if (defaultPoolAlive > 0) return callLog->Verdict(D3DRefusal::DefaultPoolResourcesLive);
    D3DPRESENT_PARAMETERS completed{};
    int samples = 0;
    if (const D3DRefusal why = CheckPresentParameters(*newParams, callLog->displayMode.Format,
                                                      kLimits, &completed, &samples);
        why != D3DRefusal::None)
        return callLog->Verdict(why);

    params = completed;
    UnbindAll();
    ResizeImplicitTargets();
    state.ResetToDefaults(params.EnableAutoDepthStencil != FALSE, params.BackBufferWidth,
                          params.BackBufferHeight);
    BindImplicitTargets();
    inScene = false;
    *newParams = params;
    return D3D_OK;
}

HRESULT CRecordingDevice::Present(const RECT* sourceRect, const RECT* destRect, HWND destWindow,
                                  const RGNDATA* dirtyRegion) {
    return callLog->Record(
        "Present",
        Call("Present", {recording::Rect(sourceRect), recording::Rect(destRect),
                         recording::Handle(destWindow), recording::Handle(dirtyRegion)}));
}

HRESULT CRecordingDevice::BeginScene() {
    const HRESULT hr = callLog->Record("BeginScene", "BeginScene()");
    if (FAILED(hr)) return hr;
    if (inScene) return callLog->Verdict(D3DRefusal::SceneAlreadyBegun);
    inScene = true;
    return D3D_OK;
}

HRESULT CRecordingDevice::EndScene() {
    const HRESULT hr = callLog->Record("EndScene", "EndScene()");
    if (FAILED(hr)) return hr;
    if (!inScene) return callLog->Verdict(D3DRefusal::SceneNotBegun);
    inScene = false;
    return D3D_OK;
}

HRESULT CRecordingDevice::Clear(DWORD count, const D3DRECT* rects, DWORD flags, D3DCOLOR color,
                                float z, DWORD stencil) {
    const HRESULT hr = callLog->Record(
        "Clear", Call("Clear", {Dec(count), rects ? "rects" : "null", D3DClearFlagsName(flags),
                                Hex(color), Flt(z), Dec(stencil)}));
    if (FAILED(hr)) return hr;
    return callLog->Verdict(CheckClear(count, rects, flags, z, TargetFacts()));
}

// ---------------------------------------------------------------------------
// Resources

HRESULT CRecordingDevice::CreateTexture(UINT width, UINT height, UINT levels, DWORD usage,
                                        D3DFORMAT format, D3DPOOL pool, IDirect3DTexture9** texture,
                                        HANDLE* sharedHandle) {
    const HRESULT hr = callLog->Record(
        "CreateTexture",
        Call("CreateTexture", {Dec(width), Dec(height), Dec(levels), D3DUsageName(usage),
                               D3DFormatName(format), D3DPoolName(pool), "null"}));
    if (FAILED(hr)) return hr;
    if (const D3DRefusal why =
            CheckCreation(texture, sharedHandle,
                          CheckCreateTexture(width, height, levels, usage, format, pool, kLimits));
        why != D3DRefusal::None)
        return callLog->Verdict(why);
    auto* created = new CRecordingTexture(this, callLog->NextLabel("texture"), width, height, usage,
                                          format, pool);  // owned by its count
    created->AddPublic();
    AppendToLastText(created->Label());
    *texture = created;
    return D3D_OK;
}

HRESULT CRecordingDevice::CreateVertexBuffer(UINT length, DWORD usage, DWORD fvf, D3DPOOL pool,
                                             IDirect3DVertexBuffer9** buffer,
                                             HANDLE* sharedHandle) {
    const HRESULT hr = callLog->Record(
        "CreateVertexBuffer",
        Call("CreateVertexBuffer",
             {Dec(length), D3DUsageName(usage), D3DFvfName(fvf), D3DPoolName(pool), "null"}));
    if (FAILED(hr)) return hr;
    if (const D3DRefusal why = CheckCreation(buffer, sharedHandle, CheckCreateBuffer(length, pool));
        why != D3DRefusal::None)
        return callLog->Verdict(why);
    D3DVERTEXBUFFER_DESC desc{};
    desc.Format = D3DFMT_UNKNOWN;  // Direct3D's D3DFMT_VERTEXDATA
    desc.Type = D3DRTYPE_VERTEXBUFFER;
    desc.Usage = usage;
    desc.Pool = pool;
    desc.Size = length;
    desc.FVF = fvf;
    auto* created = new CRecordingVertexBuffer(this, callLog->NextLabel("vb"), desc);
    created->AddPublic();
    AppendToLastText(created->Label());
    *buffer = created;
    return D3D_OK;
}

HRESULT CRecordingDevice::CreateIndexBuffer(UINT length, DWORD usage, D3DFORMAT format,
                                            D3DPOOL pool, IDirect3DIndexBuffer9** buffer,
                                            HANDLE* sharedHandle) {
    const HRESULT hr = callLog->Record(
        "CreateIndexBuffer",
        Call("CreateIndexBuffer",
             {Dec(length), D3DUsageName(usage), D3DFormatName(format), D3DPoolName(pool), "null"}));
    if (FAILED(hr)) return hr;
    if (const D3DRefusal why =
            CheckCreation(buffer, sharedHandle, CheckCreateIndexBuffer(length, format, pool));
        why != D3DRefusal::None)
        return callLog->Verdict(why);
    D3DINDEXBUFFER_DESC desc{};
    desc.Format = format;
    desc.Type = D3DRTYPE_INDEXBUFFER;
    desc.Usage = usage;
    desc.Pool = pool;
    desc.Size = length;
    auto* created = new CRecordingIndexBuffer(this, callLog->NextLabel("ib"), desc);
    created->AddPublic();
    AppendToLastText(created->Label());
    *buffer = created;
    return D3D_OK;
}

HRESULT CRecordingDevice::CreateDepthStencilSurface(UINT width, UINT height, D3DFORMAT format,
                                                    D3DMULTISAMPLE_TYPE multiSample,
                                                    DWORD multisampleQuality, BOOL discard,
                                                    IDirect3DSurface9** surface,
                                                    HANDLE* sharedHandle) {
    const HRESULT hr = callLog->Record(
        "CreateDepthStencilSurface",
        Call("CreateDepthStencilSurface",
             {Dec(width), Dec(height), D3DFormatName(format), D3DMultiSampleName(multiSample),
              Dec(multisampleQuality), Dec(discard), "null"}));
    if (FAILED(hr)) return hr;
    if (const D3DRefusal why =
            CheckCreation(surface, sharedHandle,
                          CheckCreateDepthStencil(width, height, format, multiSample,
                                                  multisampleQuality, kLimits));
        why != D3DRefusal::None)
        return callLog->Verdict(why);
    auto* created =
        new CRecordingSurface(this, callLog->NextLabel("surface"),
                              RecordingSurfaceDesc(width, height, format, D3DUSAGE_DEPTHSTENCIL,
                                                   D3DPOOL_DEFAULT, multiSample),
                              CRecordingSurface::Kind::Standalone, nullptr);
    created->AddPublic();
    AppendToLastText(created->Label());
    *surface = created;
    return D3D_OK;
}

HRESULT CRecordingDevice::CreateOffscreenPlainSurface(UINT width, UINT height, D3DFORMAT format,
                                                      D3DPOOL pool, IDirect3DSurface9** surface,
                                                      HANDLE* sharedHandle) {
    const HRESULT hr = callLog->Record(
        "CreateOffscreenPlainSurface",
        Call("CreateOffscreenPlainSurface",
             {Dec(width), Dec(height), D3DFormatName(format), D3DPoolName(pool), "null"}));
    if (FAILED(hr)) return hr;
    if (const D3DRefusal why = CheckCreation(
            surface, sharedHandle, CheckCreateOffscreenPlain(width, height, format, pool, kLimits));
        why != D3DRefusal::None)
        return callLog->Verdict(why);
    auto* created = new CRecordingSurface(
        this, callLog->NextLabel("surface"),
        RecordingSurfaceDesc(width, height, format, 0, pool, D3DMULTISAMPLE_NONE),
        CRecordingSurface::Kind::Standalone, nullptr);
    created->AddPublic();
    AppendToLastText(created->Label());
    *surface = created;
    return D3D_OK;
}

// ---------------------------------------------------------------------------
// Targets

HRESULT CRecordingDevice::GetRenderTarget(DWORD index, IDirect3DSurface9** surface) {
    const HRESULT hr = callLog->Record("GetRenderTarget", Call("GetRenderTarget", {Dec(index)}));
    if (FAILED(hr)) return hr;
    if (!surface) return callLog->Verdict(D3DRefusal::NullPointer);
    *surface = nullptr;
    if (index != 0) return callLog->Verdict(D3DRefusal::RenderTargetIndex);
    if (!state.renderTarget) return callLog->Verdict(D3DRefusal::NoRenderTarget);
    static_cast<CRecordingSurface*>(state.renderTarget)->AddPublic();
    *surface = state.renderTarget;
    return D3D_OK;
}

D3DSurfaceFacts CRecordingDevice::SurfaceFacts(IDirect3DSurface9* surface) {
    D3DSurfaceFacts facts;
    facts.given = surface != nullptr;
    if (const auto* mine = Mine<CRecordingSurface>(this, surface)) {
        facts = mine->Facts();
        // A device reset without an automatic depth buffer has none to set.
        facts.hasStorage = mine != depthBuffer.get() || params.EnableAutoDepthStencil;
    }
    return facts;
}

HRESULT CRecordingDevice::SetRenderTarget(DWORD index, IDirect3DSurface9* surface) {
    const HRESULT hr =
        callLog->Record("SetRenderTarget", Call("SetRenderTarget", {Dec(index), LabelOf(surface)}));
    if (FAILED(hr)) return hr;
    if (const D3DRefusal why = CheckSetRenderTarget(index, SurfaceFacts(surface));
        why != D3DRefusal::None)
        return callLog->Verdict(why);
    const auto* target = Mine<CRecordingSurface>(this, surface);
    Rebind(state.renderTarget, surface);
    // Setting render target 0 resets the viewport to the whole target.
    state.viewport = D3DVIEWPORT9{0, 0, target->Desc().Width, target->Desc().Height, 0.0f, 1.0f};
    return D3D_OK;
}

HRESULT CRecordingDevice::GetDepthStencilSurface(IDirect3DSurface9** surface) {
    const HRESULT hr = callLog->Record("GetDepthStencilSurface", "GetDepthStencilSurface()");
    if (FAILED(hr)) return hr;
    if (!surface) return callLog->Verdict(D3DRefusal::NullPointer);
    *surface = nullptr;
    if (!state.depthStencil) return callLog->Verdict(D3DRefusal::NoDepthStencilSurface);
    static_cast<CRecordingSurface*>(state.depthStencil)->AddPublic();
    *surface = state.depthStencil;
    return D3D_OK;
}

HRESULT CRecordingDevice::SetDepthStencilSurface(IDirect3DSurface9* surface) {
    const HRESULT hr = callLog->Record("SetDepthStencilSurface",
                                       Call("SetDepthStencilSurface", {LabelOf(surface)}));
    if (FAILED(hr)) return hr;
    if (const D3DRefusal why = CheckSetDepthStencil(SurfaceFacts(surface)); why != D3DRefusal::None)
        return callLog->Verdict(why);
    Rebind(state.depthStencil, surface);
    return D3D_OK;
}

HRESULT CRecordingDevice::SetViewport(const D3DVIEWPORT9* viewport) {
    const HRESULT hr =
        callLog->Record("SetViewport", Call("SetViewport", {recording::Viewport(viewport)}));
    if (FAILED(hr)) return hr;
    if (!viewport) return callLog->Verdict(D3DRefusal::NullPointer);
    if (const D3DRefusal why = CheckViewport(*viewport, TargetFacts()); why != D3DRefusal::None)
        return callLog->Verdict(why);
    state.viewport = *viewport;
    return D3D_OK;
}

HRESULT CRecordingDevice::GetViewport(D3DVIEWPORT9* viewport) {
    const HRESULT hr = callLog->Record("GetViewport", "GetViewport()");
    if (FAILED(hr)) return hr;
    if (!viewport) return callLog->Verdict(D3DRefusal::NullPointer);
    *viewport = state.viewport;
    return D3D_OK;
}

HRESULT CRecordingDevice::GetRenderTargetData(IDirect3DSurface9* renderTarget,
                                              IDirect3DSurface9* destination) {
    const HRESULT hr =
        callLog->Record("GetRenderTargetData",
                        Call("GetRenderTargetData", {LabelOf(renderTarget), LabelOf(destination)}));
    if (FAILED(hr)) return hr;
    return callLog->Verdict(
        CheckGetRenderTargetData(SurfaceFacts(renderTarget), SurfaceFacts(destination)));
}

// ---------------------------------------------------------------------------
// Fixed-function state

HRESULT CRecordingDevice::SetTransform(D3DTRANSFORMSTATETYPE which, const D3DMATRIX* matrix) {
    const HRESULT hr = callLog->Record(
        "SetTransform", Call("SetTransform", {D3DTransformName(which), recording::Matrix(matrix)}));
    if (FAILED(hr)) return hr;
    return callLog->Verdict(recorder.SetTransform(which, matrix));
}

HRESULT CRecordingDevice::SetMaterial(const D3DMATERIAL9* material) {
    const HRESULT hr =
        callLog->Record("SetMaterial", Call("SetMaterial", {recording::Material(material)}));
    if (FAILED(hr)) return hr;
    return callLog->Verdict(recorder.SetMaterial(material));
}

HRESULT CRecordingDevice::SetLight(DWORD index, const D3DLIGHT9* light) {
    const HRESULT hr =
        callLog->Record("SetLight", Call("SetLight", {Dec(index), recording::Light(light)}));
    if (FAILED(hr)) return hr;
    return callLog->Verdict(recorder.SetLight(index, light));
}

HRESULT CRecordingDevice::LightEnable(DWORD index, BOOL enable) {
    const HRESULT hr =
        callLog->Record("LightEnable", Call("LightEnable", {Dec(index), Dec(enable)}));
    if (FAILED(hr)) return hr;
    return callLog->Verdict(recorder.LightEnable(index, enable));
}

HRESULT CRecordingDevice::SetRenderState(D3DRENDERSTATETYPE which, DWORD value) {
    const HRESULT hr = callLog->Record(
        "SetRenderState",
        Call("SetRenderState", {D3DRenderStateName(which), D3DRenderStateValueName(which, value)}));
    if (FAILED(hr)) return hr;
    return callLog->Verdict(recorder.SetRenderState(which, value));
}

HRESULT CRecordingDevice::GetRenderState(D3DRENDERSTATETYPE which, DWORD* value) {
    const HRESULT hr =
        callLog->Record("GetRenderState", Call("GetRenderState", {D3DRenderStateName(which)}));
    if (FAILED(hr)) return hr;
    return callLog->Verdict(recorder.GetRenderState(which, value));
}

HRESULT CRecordingDevice::SetTexture(DWORD stage, IDirect3DBaseTexture9* texture) {
    const HRESULT hr =
        callLog->Record("SetTexture", Call("SetTexture", {Dec(stage), LabelOf(texture)}));
    if (FAILED(hr)) return hr;
    if (const D3DRefusal why = CheckTextureStage(stage); why != D3DRefusal::None)
        return callLog->Verdict(why);
    if (texture && !Mine<CRecordingTexture>(this, texture))
        return callLog->Verdict(D3DRefusal::ForeignObject);
    Rebind(state.textures[stage], texture);
    return D3D_OK;
}

HRESULT CRecordingDevice::SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type,
                                               DWORD value) {
    const HRESULT hr = callLog->Record(
        "SetTextureStageState",
        Call("SetTextureStageState",
             {Dec(stage), D3DStageStateName(type), D3DStageStateValueName(type, value)}));
    if (FAILED(hr)) return hr;
    return callLog->Verdict(recorder.SetTextureStageState(stage, type, value));
}

HRESULT CRecordingDevice::SetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD value) {
    const HRESULT hr = callLog->Record(
        "SetSamplerState", Call("SetSamplerState", {Dec(sampler), D3DSamplerStateName(type),
                                                    D3DSamplerStateValueName(type, value)}));
    if (FAILED(hr)) return hr;
    return callLog->Verdict(recorder.SetSamplerState(sampler, type, value));
}

// ---------------------------------------------------------------------------
// Geometry and drawing

HRESULT CRecordingDevice::SetFVF(DWORD fvf) {
    const HRESULT hr = callLog->Record("SetFVF", Call("SetFVF", {D3DFvfName(fvf)}));
    if (FAILED(hr)) return hr;
    recorder.SetFVF(fvf);
    return D3D_OK;
}

HRESULT CRecordingDevice::SetStreamSource(UINT stream, IDirect3DVertexBuffer9* buffer, UINT offset,
                                          UINT stride) {
    const HRESULT hr = callLog->Record(
        "SetStreamSource",
        Call("SetStreamSource", {Dec(stream), LabelOf(buffer), Dec(offset), Dec(stride)}));
    if (FAILED(hr)) return hr;
    const CRecordingVertexBuffer* mine = nullptr;
    if (stream == 0 && buffer) {
        mine = Mine<CRecordingVertexBuffer>(this, buffer);
        if (!mine) return callLog->Verdict(D3DRefusal::ForeignObject);
    }
    if (const D3DRefusal why =
            CheckStreamSource(stream, mine != nullptr, mine ? mine->Bytes().size() : 0, offset);
        why != D3DRefusal::None)
        return callLog->Verdict(why);
    Rebind(state.streamSource, buffer);
    state.streamOffset = offset;
    state.streamStride = stride;
    return D3D_OK;
}

HRESULT CRecordingDevice::SetIndices(IDirect3DIndexBuffer9* indices) {
    const HRESULT hr = callLog->Record("SetIndices", Call("SetIndices", {LabelOf(indices)}));
    if (FAILED(hr)) return hr;
    if (indices && !Mine<CRecordingIndexBuffer>(this, indices))
        return callLog->Verdict(D3DRefusal::ForeignObject);
    Rebind(state.indices, indices);
    return D3D_OK;
}

void CRecordingDevice::RecordDraw(bool indexed, const D3DIndexedDraw& arguments) {
    CRecordedDraw draw;
    static_cast<D3DIndexedDraw&>(draw) = arguments;
    draw.callIndex = callLog->calls.size() - 1;
    draw.indexed = indexed;
    draw.vertexStride = state.streamStride;
    draw.state = state;
    draw.renderTarget = LabelOf(state.renderTarget);
    draw.depthStencil = LabelOf(state.depthStencil);
    draw.texture0 = LabelOf(state.textures[0]);
    callLog->draws.push_back(std::move(draw));
}

// The GL backend also refuses a draw whose shader program does not build
// and a pair of targets its GL cannot draw into: limits of a real device
// that the recording one need not model.
HRESULT CRecordingDevice::DrawPrimitiveUP(D3DPRIMITIVETYPE type, UINT primitiveCount,
                                          const void* vertexData, UINT vertexStride) {
    const HRESULT hr =
        callLog->Record("DrawPrimitiveUP",
                        Call("DrawPrimitiveUP", {D3DPrimitiveName(type), Dec(primitiveCount),
                                                 vertexData ? "data" : "null", Dec(vertexStride)}));
    if (FAILED(hr)) return hr;
    D3DRefusal why =
        CheckDrawPrimitiveUP(type, primitiveCount, vertexData, vertexStride, state.fvf);
    if (why == D3DRefusal::None) why = CheckDrawTargets(TargetFacts());
    if (why != D3DRefusal::None) return callLog->Verdict(why);
    // The user pointer takes the place of stream 0, which is left empty
    // afterwards, as Direct3D 9 does.
    Rebind(state.streamSource, nullptr);
    state.streamOffset = 0;
    state.streamStride = 0;
    D3DIndexedDraw arguments;
    arguments.type = type;
    arguments.primitiveCount = primitiveCount;
    RecordDraw(false, arguments);
    CRecordedDraw& draw = callLog->draws.back();
    draw.vertexStride = vertexStride;
    const auto* first = static_cast<const std::uint8_t*>(vertexData);
    draw.vertices.assign(first,
                         first + std::size_t{VertexCountFor(type, primitiveCount)} * vertexStride);
    return D3D_OK;
}

HRESULT CRecordingDevice::DrawIndexedPrimitive(D3DPRIMITIVETYPE type, INT baseVertexIndex,
                                               UINT minVertexIndex, UINT numVertices,
                                               UINT startIndex, UINT primitiveCount) {
    const HRESULT hr =
        callLog->Record("DrawIndexedPrimitive",
                        Call("DrawIndexedPrimitive",
                             {D3DPrimitiveName(type), Dec(baseVertexIndex), Dec(minVertexIndex),
                              Dec(numVertices), Dec(startIndex), Dec(primitiveCount)}));
    if (FAILED(hr)) return hr;
    const auto* vertices = dynamic_cast<const CRecordingVertexBuffer*>(state.streamSource);
    const auto* indices = dynamic_cast<const CRecordingIndexBuffer*>(state.indices);
    const std::size_t length = vertices ? vertices->Bytes().size() : 0;
    D3DRefusal why =
        CheckDrawIndexed(type, primitiveCount, state.fvf, vertices != nullptr, indices != nullptr,
                         state.streamStride, state.streamOffset, length);
    const D3DIndexedDraw draw{type,        baseVertexIndex, minVertexIndex,
                              numVertices, startIndex,      primitiveCount};
    if (why == D3DRefusal::None) {
        const auto streamVertices =
            static_cast<std::int64_t>((length - state.streamOffset) / state.streamStride);
        why = ReadIndices(indices->Bytes().data(), indices->Bytes().size(), indices->IndexSize(),
                          draw, streamVertices, nullptr);
    }
    if (why == D3DRefusal::None) why = CheckDrawTargets(TargetFacts());
    if (why != D3DRefusal::None) return callLog->Verdict(why);
    RecordDraw(true, draw);
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
    if (const auto* vb = dynamic_cast<CRecordingVertexBuffer*>(buffer)) return vb->Bytes();
    if (const auto* ib = dynamic_cast<CRecordingIndexBuffer*>(buffer)) return ib->Bytes();
    return none;
}

std::string RecordingLabel(IUnknown* object) { return LabelOf(object); }
