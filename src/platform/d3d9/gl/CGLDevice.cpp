#include "platform/d3d9/gl/CGLDevice.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "platform/d3d9/CD3DResourceLife.h"
#include "platform/d3d9/gl/CGLIndexBuffer.h"
#include "platform/d3d9/gl/CGLSurface.h"
#include "platform/d3d9/gl/CGLTexture.h"
#include "platform/d3d9/gl/CGLVertexBuffer.h"
#include "platform/d3d9/gl/GLCheck.h"
#include "platform/d3d9/gl/GLPrimitive.h"
#include "platform/d3d9/gl/GLUniforms.h"

namespace {

using R = D3DRefusal;

// The device whose context is current: switching costs a call into the
// window system, so it is done only when another device drew last.
CGLDevice* currentDevice = nullptr;

// The GL backend's adapter shows the desktop in X8R8G8B8.
constexpr D3DFORMAT kDisplayFormat = D3DFMT_X8R8G8B8;

template <class T>
T* Mine(CGLDevice* device, IUnknown* object) {
    auto* mine = dynamic_cast<T*>(object);
    return mine != nullptr && &mine->Device() == device ? mine : nullptr;
}

D3DSurfaceFacts SurfaceFacts(CGLDevice* device, IDirect3DSurface9* surface) {
    if (auto* mine = Mine<CGLSurface>(device, surface)) return mine->Facts();
    D3DSurfaceFacts facts;
    facts.given = surface != nullptr;
    return facts;
}

}  // namespace

// ---------------------------------------------------------------------------
// Creation, reset and teardown

HRESULT CGLDevice::Create(CGLDirect3D9& d3d, IGLContextProvider& provider, HWND window,
                          D3DPRESENT_PARAMETERS* params, IDirect3DDevice9** out) {
    // What needs no context is refused before one is made; the context's
    // own limits are checked once it exists.
    D3DPRESENT_PARAMETERS checked{};
    int samples = 0;
    if (const HRESULT hr = D3DCallResult(
            "D3D9.CreateDevice",
            CheckPresentParameters(*params, kDisplayFormat, D3DDeviceLimits{}, &checked, &samples));
        FAILED(hr))
        return hr;

    std::unique_ptr<IGLContext> context = provider.CreateContext(window);
    if (context == nullptr) return RefuseD3DCall("D3D9.CreateDevice", R::NoGLContext);
    auto* device = new CGLDevice(d3d, std::move(context));
    const HRESULT hr = device->Initialise(checked);
    if (FAILED(hr)) {
        device->Release();
        return hr;
    }
    *params = device->params;
    *out = device;
    return D3D_OK;
}

CGLDevice::CGLDevice(CGLDirect3D9& d3d, std::unique_ptr<IGLContext> context)
    : d3d(d3d), context(std::move(context)) {
    d3d.AddRef();
    // The provider hands the context over current.
    currentDevice = this;
    const char* noCache = std::getenv("TESSARY_GL_NO_STATE_CACHE");
    cache.SetKillSwitch(noCache != nullptr && std::strcmp(noCache, "1") == 0);
}

HRESULT CGLDevice::Initialise(const D3DPRESENT_PARAMETERS& requested) {
    GLint textureSide = 0, surfaceSide = 0, maxSamples = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &textureSide);
    glGetIntegerv(GL_MAX_RENDERBUFFER_SIZE, &surfaceSide);
    glGetIntegerv(GL_MAX_SAMPLES, &maxSamples);
    limits = D3DDeviceLimits{static_cast<UINT>(std::max(textureSide, 0)),
                             static_cast<UINT>(std::max(surfaceSide, 0)), maxSamples};
    d3d.NoteLimits(limits);

    // A new window shows black from the start, not whatever memory held.
    cache.BindDrawFramebuffer(0, true);
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    context->SwapWindow();

    int samples = 0;
    if (const HRESULT hr = D3DCallResult(
            "D3D9.CreateDevice",
            CheckPresentParameters(requested, kDisplayFormat, limits, &params, &samples));
        FAILED(hr))
        return hr;

    glGenVertexArrays(1, &vertexArray);
    glGenSamplers(1, &sampler0);
    stream.Create(cache);
    CheckGLError("creating the device's GL objects");

    backBuffer = std::make_unique<CGLBackBuffer>(*this);
    if (!backBuffer->Build(params, samples))
        return RefuseD3DCall("D3D9.CreateDevice", R::BackBufferStorage);
    ResetState();
    SetSwapInterval();
    return D3D_OK;
}

// Direct3D's defaults: every state, the back buffer and its depth buffer as
// targets, nothing else bound.
void CGLDevice::ResetState() {
    ReleaseBindings();
    state.ResetToDefaults(params.EnableAutoDepthStencil != FALSE, params.BackBufferWidth,
                          params.BackBufferHeight);
    Rebind(renderTarget, &backBuffer->Colour());
    Rebind(depthStencil, params.EnableAutoDepthStencil ? &backBuffer->Depth() : nullptr);
    state.renderTarget = renderTarget;
    state.depthStencil = depthStencil;
    inScene = false;
    uniforms.ChangedAll();
    ResetGLState();
}

// Puts GL and the caches into one known state: what they believe is then
// what GL has, whatever happened to the context before.
void CGLDevice::ResetGLState() {
    cache.Reset(GLPipelineState{}, vertexArray, sampler0);
    shaders.ForgetUploads();
    framebuffers.ForgetLast();
    CheckGLError("resetting GL state");
}

void CGLDevice::ReleaseBindings() {
    for (auto& texture : textures) Rebind(texture, nullptr);
    Rebind(streamSource, nullptr);
    Rebind(indices, nullptr);
    Rebind(renderTarget, nullptr);
    Rebind(depthStencil, nullptr);
    state.textures.fill(nullptr);
    state.streamSource = nullptr;
    state.indices = nullptr;
    state.renderTarget = nullptr;
    state.depthStencil = nullptr;
}

void CGLDevice::SetSwapInterval() {
    // A refusal (common without a compositor) is not an error.
    const int interval = params.PresentationInterval == D3DPRESENT_INTERVAL_IMMEDIATE ? 0 : 1;
    context->SetSwapInterval(interval);
}

ULONG CGLDevice::AddRef() { return ++refs; }

ULONG CGLDevice::Release() {
    if (refs == 0) return 0;
    if (--refs > 0) return refs;
    delete this;
    return 0;
}

CGLDevice::~CGLDevice() {
    MakeCurrent();
    // Resources the caller let go of but the device still had bound go now,
    // while the context exists.
    ReleaseBindings();
    shaders.DeleteAll();
    framebuffers.DeleteAll(cache);
    backBuffer.reset();
    if (vertexArray != 0) glDeleteVertexArrays(1, &vertexArray);
    if (sampler0 != 0) glDeleteSamplers(1, &sampler0);
    stream.Delete(cache);
    if (currentDevice == this) currentDevice = nullptr;
    context.reset();
    d3d.Release();
}

void CGLDevice::Activate() {
    if (currentDevice == this) return;
    context->MakeCurrent();
    currentDevice = this;
}

void CGLDevice::MakeCurrent() {
    Activate();
    FlushDraws();
}

HRESULT CGLDevice::Reset(D3DPRESENT_PARAMETERS* p) {
    if (p == nullptr) return RefuseD3DCall("Reset", R::NullPointer);
    // As in Direct3D 9: the caller must first release what lives in the
    // default pool. Nothing is lost when it is refused; the device goes on.
    if (liveDefaultResources > 0) return RefuseD3DCall("Reset", R::DefaultPoolResourcesLive);
    D3DPRESENT_PARAMETERS next{};
    int samples = 0;
    if (const HRESULT hr = D3DCallResult(
            "Reset", CheckPresentParameters(*p, kDisplayFormat, limits, &next, &samples));
        FAILED(hr))
        return hr;

    MakeCurrent();
    ReleaseBindings();
    params = next;
    const bool built = backBuffer->Build(params, samples);
    ResetState();
    SetSwapInterval();
    *p = params;
    return built ? D3D_OK : RefuseD3DCall("Reset", R::BackBufferStorage);
}

// ---------------------------------------------------------------------------
// Resource bookkeeping

void CGLDevice::ResourceReferenced(bool defaultPool) {
    AddRef();
    if (defaultPool) ++liveDefaultResources;
}

void CGLDevice::ResourceUnreferenced(bool defaultPool) {
    if (defaultPool) --liveDefaultResources;
    Release();
}

void CGLDevice::SurfaceStorageChanging(const CGLSurface* surface) {
    MakeCurrent();
    framebuffers.Forget(surface, cache);
}

HRESULT CGLDevice::CreateTexture(UINT width, UINT height, UINT levels, DWORD usage,
                                 D3DFORMAT format, D3DPOOL pool, IDirect3DTexture9** texture,
                                 HANDLE* sharedHandle) {
    if (const HRESULT hr = D3DCallResult(
            "CreateTexture",
            CheckCreation(texture, sharedHandle,
                          CheckCreateTexture(width, height, levels, usage, format, pool, limits)));
        FAILED(hr))
        return hr;
    return CGLTexture::Create(*this, width, height, usage, format, pool, texture);
}

HRESULT CGLDevice::CreateVertexBuffer(UINT length, DWORD usage, DWORD fvf, D3DPOOL pool,
                                      IDirect3DVertexBuffer9** buffer, HANDLE* sharedHandle) {
    if (const HRESULT hr =
            D3DCallResult("CreateVertexBuffer",
                          CheckCreation(buffer, sharedHandle, CheckCreateBuffer(length, pool)));
        FAILED(hr))
        return hr;
    return CGLVertexBuffer::Create(*this, length, usage, fvf, pool, buffer);
}

HRESULT CGLDevice::CreateIndexBuffer(UINT length, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                                     IDirect3DIndexBuffer9** buffer, HANDLE* sharedHandle) {
    if (const HRESULT hr = D3DCallResult(
            "CreateIndexBuffer",
            CheckCreation(buffer, sharedHandle, CheckCreateIndexBuffer(length, format, pool)));
        FAILED(hr))
        return hr;
    return CGLIndexBuffer::Create(*this, length, usage, format, pool, buffer);
}

HRESULT CGLDevice::CreateDepthStencilSurface(UINT width, UINT height, D3DFORMAT format,
                                             D3DMULTISAMPLE_TYPE multiSample,
                                             DWORD multisampleQuality, BOOL /*discard*/,
                                             IDirect3DSurface9** surface, HANDLE* sharedHandle) {
    if (const HRESULT hr =
            D3DCallResult("CreateDepthStencilSurface",
                          CheckCreation(surface, sharedHandle,
                                        CheckCreateDepthStencil(width, height, format, multiSample,
                                                                multisampleQuality, limits)));
        FAILED(hr))
        return hr;
    return CGLSurface::CreateDepthStencil(*this, width, height, format, multiSample,
                                          MultiSampleCount(multiSample, limits.maxSamples),
                                          surface);
}

HRESULT CGLDevice::CreateOffscreenPlainSurface(UINT width, UINT height, D3DFORMAT format,
                                               D3DPOOL pool, IDirect3DSurface9** surface,
                                               HANDLE* sharedHandle) {
    if (const HRESULT hr = D3DCallResult(
            "CreateOffscreenPlainSurface",
            CheckCreation(surface, sharedHandle,
                          CheckCreateOffscreenPlain(width, height, format, pool, limits)));
        FAILED(hr))
        return hr;
    return CGLSurface::CreatePlain(*this, width, height, format, surface);
}

// ---------------------------------------------------------------------------
// Targets

D3DTargetFacts CGLDevice::TargetFacts() const {
    D3DTargetFacts t;
    if (renderTarget != nullptr && renderTarget->HasStorage()) {
        t.hasTarget = true;
        t.targetWidth = renderTarget->Width();
        t.targetHeight = renderTarget->Height();
        t.targetMultiSample = renderTarget->MultiSampleType();
    }
    if (depthStencil != nullptr && depthStencil->HasStorage()) {
        t.hasDepth = true;
        t.depthWidth = depthStencil->Width();
        t.depthHeight = depthStencil->Height();
        t.depthMultiSample = depthStencil->MultiSampleType();
        t.depthFormat = depthStencil->Format();
    }
    t.texture0IsTarget = textures[0] != nullptr && &textures[0]->Level0() == renderTarget;
    return t;
}

HRESULT CGLDevice::GetRenderTarget(DWORD index, IDirect3DSurface9** surface) {
    if (surface == nullptr) return RefuseD3DCall("GetRenderTarget", R::NullPointer);
    *surface = nullptr;
    if (index != 0) return RefuseD3DCall("GetRenderTarget", R::RenderTargetIndex);
    if (renderTarget == nullptr) return RefuseD3DCall("GetRenderTarget", R::NoRenderTarget);
    renderTarget->AddRef();
    *surface = renderTarget;
    return D3D_OK;
}

HRESULT CGLDevice::SetRenderTarget(DWORD index, IDirect3DSurface9* surface) {
    FlushDraws();
    if (const HRESULT hr = D3DCallResult("SetRenderTarget",
                                         CheckSetRenderTarget(index, SurfaceFacts(this, surface)));
        FAILED(hr))
        return hr;
    auto* target = Mine<CGLSurface>(this, surface);
    Rebind(renderTarget, target);
    state.renderTarget = renderTarget;
    // Setting render target 0 makes the viewport the whole new target.
    state.viewport = D3DVIEWPORT9{0, 0, target->Width(), target->Height(), 0.0f, 1.0f};
    uniforms.Changed(kGLUniformViewport);
    return D3D_OK;
}

HRESULT CGLDevice::GetDepthStencilSurface(IDirect3DSurface9** surface) {
    if (surface == nullptr) return RefuseD3DCall("GetDepthStencilSurface", R::NullPointer);
    *surface = nullptr;
    if (depthStencil == nullptr)
        return RefuseD3DCall("GetDepthStencilSurface", R::NoDepthStencilSurface);
    depthStencil->AddRef();
    *surface = depthStencil;
    return D3D_OK;
}

HRESULT CGLDevice::SetDepthStencilSurface(IDirect3DSurface9* surface) {
    FlushDraws();
    // An automatic depth buffer of a device reset without one has no storage.
    if (const HRESULT hr = D3DCallResult("SetDepthStencilSurface",
                                         CheckSetDepthStencil(SurfaceFacts(this, surface)));
        FAILED(hr))
        return hr;
    CGLSurface* depth = Mine<CGLSurface>(this, surface);
    Rebind(depthStencil, depth);
    state.depthStencil = depthStencil;
    return D3D_OK;
}

HRESULT CGLDevice::SetViewport(const D3DVIEWPORT9* viewport) {
    FlushDraws();
    if (viewport == nullptr) return RefuseD3DCall("SetViewport", R::NullPointer);
    if (const HRESULT hr = D3DCallResult("SetViewport", CheckViewport(*viewport, TargetFacts()));
        FAILED(hr))
        return hr;
    state.viewport = *viewport;
    uniforms.Changed(kGLUniformViewport);
    return D3D_OK;
}

HRESULT CGLDevice::GetViewport(D3DVIEWPORT9* viewport) {
    if (viewport == nullptr) return RefuseD3DCall("GetViewport", R::NullPointer);
    *viewport = state.viewport;
    return D3D_OK;
}

HRESULT CGLDevice::GetRenderTargetData(IDirect3DSurface9* renderTarget,
                                       IDirect3DSurface9* destination) {
    if (const HRESULT hr = D3DCallResult("GetRenderTargetData",
                                         CheckGetRenderTargetData(SurfaceFacts(this, renderTarget),
                                                                  SurfaceFacts(this, destination)));
        FAILED(hr))
        return hr;
    MakeCurrent();
    if (!framebuffers.BindRead(*Mine<CGLSurface>(this, renderTarget), cache))
        return RefuseD3DCall("GetRenderTargetData", R::OutOfVideoMemory);
    Mine<CGLSurface>(this, destination)->ReadFramebuffer();
    return D3D_OK;
}

// ---------------------------------------------------------------------------
// Bindings (the setters that only record are CGLStateRecorder's)

HRESULT CGLDevice::SetTexture(DWORD stage, IDirect3DBaseTexture9* texture) {
    FlushDraws();
    if (const HRESULT hr = D3DCallResult("SetTexture", CheckTextureStage(stage)); FAILED(hr))
        return hr;
    CGLTexture* next = nullptr;
    if (texture != nullptr) {
        next = Mine<CGLTexture>(this, texture);
        if (next == nullptr) return RefuseD3DCall("SetTexture", R::ForeignObject);
    }
    Rebind(textures[stage], next);
    state.textures[stage] = next;
    return D3D_OK;
}

HRESULT CGLDevice::SetStreamSource(UINT index, IDirect3DVertexBuffer9* buffer, UINT offset,
                                   UINT stride) {
    FlushDraws();
    CGLVertexBuffer* next = nullptr;
    if (index == 0 && buffer != nullptr) {
        next = Mine<CGLVertexBuffer>(this, buffer);
        if (next == nullptr) return RefuseD3DCall("SetStreamSource", R::ForeignObject);
    }
    if (const HRESULT hr =
            D3DCallResult("SetStreamSource",
                          CheckStreamSource(index, next != nullptr,
                                            next != nullptr ? next->Data().Length() : 0, offset));
        FAILED(hr))
        return hr;
    Rebind(streamSource, next);
    state.streamSource = next;
    state.streamOffset = offset;
    state.streamStride = stride;
    return D3D_OK;
}

HRESULT CGLDevice::SetIndices(IDirect3DIndexBuffer9* buffer) {
    FlushDraws();
    CGLIndexBuffer* next = nullptr;
    if (buffer != nullptr) {
        next = Mine<CGLIndexBuffer>(this, buffer);
        if (next == nullptr) return RefuseD3DCall("SetIndices", R::ForeignObject);
    }
    Rebind(indices, next);
    state.indices = next;
    return D3D_OK;
}

// ---------------------------------------------------------------------------
// Scenes, Clear and drawing

HRESULT CGLDevice::BeginScene() {
    if (inScene) return RefuseD3DCall("BeginScene", R::SceneAlreadyBegun);
    inScene = true;
    return D3D_OK;
}

HRESULT CGLDevice::EndScene() {
    if (!inScene) return RefuseD3DCall("EndScene", R::SceneNotBegun);
    inScene = false;
    return D3D_OK;
}

HRESULT CGLDevice::Clear(DWORD count, const D3DRECT* rects, DWORD flags, D3DCOLOR color, float z,
                         DWORD /*stencil: no surface has one*/) {
    if (const HRESULT hr =
            D3DCallResult("Clear", CheckClear(count, rects, flags, z, TargetFacts()));
        FAILED(hr))
        return hr;
    MakeCurrent();
    const CGLSurface* depth =
        depthStencil != nullptr && depthStencil->HasStorage() ? depthStencil : nullptr;
    if (!framebuffers.Bind(*renderTarget, depth, cache))
        return RefuseD3DCall("Clear", R::TargetsDoNotFit);

    GLbitfield mask = 0;
    if (flags & D3DCLEAR_TARGET) {
        const auto c = ColorToFloats(color);
        // An X8 target keeps alpha 1 (see GLTargetInfo::opaqueAlpha).
        glClearColor(c[0], c[1], c[2], renderTarget->Format() == D3DFMT_X8R8G8B8 ? 1.0f : c[3]);
        mask |= GL_COLOR_BUFFER_BIT;
    }
    if (flags & D3DCLEAR_ZBUFFER) {
        glClearDepth(z);
        mask |= GL_DEPTH_BUFFER_BIT;
    }
    // Clear is not held back by the Z-write or colour-write states.
    for (const GLRect& area : ClearAreas(state.viewport, count, rects)) {
        cache.PrepareClear(area);
        glClear(mask);
    }
    CheckGLError("glClear");
    return D3D_OK;
}

// Binds the target, plans the pipeline and the program and applies them.
HRESULT CGLDevice::PrepareDraw(const char* call, const D3DVertexLayout& layout,
                               const GLDrawFacts& facts) {
    if (const HRESULT hr = D3DCallResult(call, CheckDrawTargets(TargetFacts())); FAILED(hr))
        return hr;
    const CGLSurface* depth =
        depthStencil != nullptr && depthStencil->HasStorage() ? depthStencil : nullptr;
    // GL's own verdict on the pair (multisample counts it cannot mix).
    if (!framebuffers.Bind(*renderTarget, depth, cache))
        return RefuseD3DCall(call, R::TargetsDoNotFit);
    const GLTargetInfo target{depth != nullptr, renderTarget->Format() == D3DFMT_X8R8G8B8};
    CGLProgram* program = shaders.Get(PlanShader(state, layout, target, facts));
    if (program == nullptr) return RefuseD3DCall(call, R::ShaderUnavailable);
    cache.Apply(PlanPipeline(state, layout, target, facts));
    cache.UseProgram(program->name);
    uniforms.Upload(*program, state, layout, facts, cache.KillSwitch());
    cache.BindTexture0(textures[0] != nullptr ? textures[0]->Name() : 0);
    return D3D_OK;
}

HRESULT CGLDevice::DrawPrimitiveUP(D3DPRIMITIVETYPE type, UINT primitiveCount,
                                   const void* vertexData, UINT vertexStride) {
    if (const HRESULT hr = D3DCallResult(
            "DrawPrimitiveUP",
            CheckDrawPrimitiveUP(type, primitiveCount, vertexData, vertexStride, state.fvf));
        FAILED(hr))
        return hr;
    const UINT vertices = VertexCountFor(type, primitiveCount);
    const D3DVertexLayout layout = DecodeFvf(state.fvf);
    MakeCurrent();
    if (const HRESULT hr = PrepareDraw("DrawPrimitiveUP", layout,
                                       ExamineVertices(layout, vertexData, vertices, vertexStride));
        FAILED(hr))
        return hr;
    const std::size_t bytes = std::size_t{vertices} * vertexStride;
    const auto first =
        static_cast<GLint>(stream.Write(cache, vertexData, bytes, vertexStride) / vertexStride);
    cache.SetupAttributes(stream.Name(), layout, state.fvf, vertexStride, 0);
    glDrawArrays(GLPrimitiveMode(type), first, static_cast<GLsizei>(vertices));
    CheckGLError("glDrawArrays (DrawPrimitiveUP)");
    // Direct3D leaves stream 0 unset after a draw from user memory.
    Rebind(streamSource, nullptr);
    state.streamSource = nullptr;
    state.streamOffset = 0;
    state.streamStride = 0;
    return D3D_OK;
}

// Runs of indexed draws are held back and joined (CGLJoinedDraws): a draw
// that can join the run is only checked and gathered.
HRESULT CGLDevice::DrawIndexedPrimitive(D3DPRIMITIVETYPE type, INT baseVertexIndex,
                                        UINT minVertexIndex, UINT numVertices, UINT startIndex,
                                        UINT primitiveCount) {
    const UINT stride = state.streamStride;
    const UINT offset = state.streamOffset;
    const std::size_t length = streamSource != nullptr ? streamSource->Data().Length() : 0;
    if (const HRESULT hr =
            D3DCallResult("DrawIndexedPrimitive",
                          CheckDrawIndexed(type, primitiveCount, state.fvf, streamSource != nullptr,
                                           indices != nullptr, stride, offset, length));
        FAILED(hr))
        return hr;
    // Every index must name a vertex inside the buffer: GL would otherwise
    // read past it.
    const std::int64_t available = static_cast<std::int64_t>((length - offset) / stride);
    const D3DIndexedDraw draw{type,        baseVertexIndex, minVertexIndex,
                              numVertices, startIndex,      primitiveCount};
    if (joined.Joins(type))
        return D3DCallResult("DrawIndexedPrimitive", joined.Add(*indices, draw, available));

    MakeCurrent();
    if (const HRESULT hr =
            D3DCallResult("DrawIndexedPrimitive", joined.Start(*indices, draw, available));
        FAILED(hr))
        return hr;
    const D3DVertexLayout layout = DecodeFvf(state.fvf);
    if (const HRESULT hr = PrepareDraw("DrawIndexedPrimitive", layout, GLDrawFacts{}); FAILED(hr))
        return hr;
    cache.SetupAttributes(streamSource->Data().Name(), layout, state.fvf, stride, offset);
    joined.Hold(type);
    return D3D_OK;
}

void CGLDevice::FlushDraws() {
    if (!joined.Active()) return;
    Activate();
    joined.Flush(stream, cache);
}

// ---------------------------------------------------------------------------
// Presentation and readback

HRESULT CGLDevice::Present(const RECT*, const RECT*, HWND, const RGNDATA*) {
    MakeCurrent();
    backBuffer->Present(*context);
    return D3D_OK;
}

void CGLDevice::ReadBackBuffer(std::vector<std::uint32_t>* pixels, UINT* width, UINT* height) {
    MakeCurrent();
    backBuffer->Read(pixels);
    if (width != nullptr) *width = params.BackBufferWidth;
    if (height != nullptr) *height = params.BackBufferHeight;
}

void CGLDevice::Finish() {
    MakeCurrent();
    glFinish();
}
