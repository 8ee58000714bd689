#include "platform/d3d9/gl/CGLDevice.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <limits>

#include "platform/d3d9/gl/CGLIndexBuffer.h"
#include "platform/d3d9/gl/CGLSurface.h"
#include "platform/d3d9/gl/CGLTexture.h"
#include "platform/d3d9/gl/CGLVertexBuffer.h"
#include "platform/d3d9/gl/GLCheck.h"
#include "platform/d3d9/gl/GLShaderSource.h"
#include "platform/d3d9/gl/GLUniforms.h"

namespace {

// Back buffers beyond these are refused before anything is allocated.
constexpr UINT kMaxBackBufferSide = 16384;
constexpr std::uint64_t kMaxBackBufferSamples = std::uint64_t{1} << 26;
// One draw from user memory may not send more than this.
constexpr std::uint64_t kMaxUserVertexBytes = 64u << 20;
constexpr std::size_t kInitialStreamBytes = 1u << 20;
// Ends one strip and starts the next inside a joined draw.
constexpr std::uint32_t kRestartIndex = 0xFFFFFFFFu;

// The device whose context is current: switching costs a call into the
// window system, so it is done only when another device drew last.
CGLDevice* currentDevice = nullptr;

GLenum PrimitiveMode(D3DPRIMITIVETYPE type) {
    switch (type) {
        case D3DPT_POINTLIST: return GL_POINTS;
        case D3DPT_LINELIST: return GL_LINES;
        case D3DPT_LINESTRIP: return GL_LINE_STRIP;
        case D3DPT_TRIANGLELIST: return GL_TRIANGLES;
        case D3DPT_TRIANGLESTRIP: return GL_TRIANGLE_STRIP;
        case D3DPT_TRIANGLEFAN: return GL_TRIANGLE_FAN;
    }
    return GL_TRIANGLES;
}

const void* BufferOffset(std::size_t offset) {
    return reinterpret_cast<const void*>(static_cast<std::uintptr_t>(offset));
}

template <class T>
void Rebind(T*& slot, T* next) {
    if (slot == next) return;
    if (next != nullptr) next->Bind();  // first, so that rebinding the same object is harmless
    T* previous = slot;
    slot = next;
    if (previous != nullptr) previous->Unbind();
}

bool IsLightingState(DWORD type) {
    switch (type) {
        case D3DRS_AMBIENT:
        case D3DRS_COLORVERTEX:
        case D3DRS_LOCALVIEWER:
        case D3DRS_NORMALIZENORMALS:
        case D3DRS_DIFFUSEMATERIALSOURCE:
        case D3DRS_SPECULARMATERIALSOURCE:
        case D3DRS_AMBIENTMATERIALSOURCE:
        case D3DRS_EMISSIVEMATERIALSOURCE: return true;
        default: return false;
    }
}

}  // namespace

// ---------------------------------------------------------------------------
// Creation, reset and teardown

HRESULT ValidatePresentParameters(D3DPRESENT_PARAMETERS* p, const GLLimits* limits,
                                  int* samples) {
    if (p->BackBufferWidth == 0 || p->BackBufferHeight == 0 ||
        p->BackBufferWidth > kMaxBackBufferSide || p->BackBufferHeight > kMaxBackBufferSide)
        return D3DERR_NOTAVAILABLE;
    if (limits != nullptr) {
        const auto side = static_cast<UINT>(std::min(limits->maxRenderbufferSize, limits->maxTextureSize));
        if (p->BackBufferWidth > side || p->BackBufferHeight > side) return D3DERR_NOTAVAILABLE;
    }
    if (p->BackBufferFormat == D3DFMT_UNKNOWN) p->BackBufferFormat = D3DFMT_X8R8G8B8;
    if (p->BackBufferFormat != D3DFMT_X8R8G8B8 && p->BackBufferFormat != D3DFMT_A8R8G8B8)
        return D3DERR_INVALIDCALL;
    if (p->EnableAutoDepthStencil && p->AutoDepthStencilFormat != D3DFMT_D16)
        return D3DERR_NOTAVAILABLE;

    const int maxSamples = limits != nullptr ? limits->maxSamples : 4;
    int count = 0;
    const DWORD type = p->MultiSampleType;
    if (type == D3DMULTISAMPLE_NONMASKABLE) {
        if (p->MultiSampleQuality != 0) return D3DERR_INVALIDCALL;
        count = std::min(4, maxSamples);
    } else if (type >= 2 && type <= 16) {
        if (p->MultiSampleQuality != 0) return D3DERR_INVALIDCALL;
        if (static_cast<int>(type) > maxSamples) return D3DERR_NOTAVAILABLE;
        count = static_cast<int>(type);
    } else if (type != D3DMULTISAMPLE_NONE) {
        return D3DERR_INVALIDCALL;
    }
    if (count > 0 && p->SwapEffect != D3DSWAPEFFECT_DISCARD) return D3DERR_INVALIDCALL;
    if (std::uint64_t{p->BackBufferWidth} * p->BackBufferHeight * std::max(count, 1) >
        kMaxBackBufferSamples)
        return D3DERR_NOTAVAILABLE;
    if (p->BackBufferCount == 0) p->BackBufferCount = 1;
    *samples = count;
    return D3D_OK;
}

HRESULT CGLDevice::Create(CGLDirect3D9& d3d, IGLContextProvider& provider, HWND window,
                          D3DPRESENT_PARAMETERS* params, IDirect3DDevice9** out) {
    // What needs no context is refused before one is made.
    D3DPRESENT_PARAMETERS checked = *params;
    int samples = 0;
    HRESULT hr = ValidatePresentParameters(&checked, nullptr, &samples);
    if (FAILED(hr)) return hr;

    std::unique_ptr<IGLContext> context = provider.CreateContext(window);
    if (context == nullptr) return D3DERR_NOTAVAILABLE;
    auto* device = new CGLDevice(d3d, std::move(context));
    hr = device->Initialise(checked);
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
    forceState = noCache != nullptr && std::strcmp(noCache, "1") == 0;
}

HRESULT CGLDevice::Initialise(const D3DPRESENT_PARAMETERS& requested) {
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &limits.maxTextureSize);
    glGetIntegerv(GL_MAX_RENDERBUFFER_SIZE, &limits.maxRenderbufferSize);
    glGetIntegerv(GL_MAX_SAMPLES, &limits.maxSamples);
    d3d.NoteLimits(limits);

    // A new window shows black from the start, not whatever memory held.
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    context->SwapWindow();

    params = requested;
    HRESULT hr = ValidatePresentParameters(&params, &limits, &samples);
    if (FAILED(hr)) return hr;

    glGenVertexArrays(1, &vertexArray);
    glGenSamplers(1, &sampler0);
    glGenBuffers(1, &streamBuffer);
    glBindBuffer(GL_COPY_WRITE_BUFFER, streamBuffer);
    glBufferData(GL_COPY_WRITE_BUFFER, static_cast<GLsizeiptr>(kInitialStreamBytes), nullptr,
                 GL_STREAM_DRAW);
    streamCapacity = kInitialStreamBytes;
    CheckGLError("creating the device's GL objects");

    backBuffer = CGLSurface::MakeDeviceOwned(*this, GLSurfaceKind::BackBuffer);
    autoDepth = CGLSurface::MakeDeviceOwned(*this, GLSurfaceKind::AutoDepth);
    hr = BuildBackBuffer();
    if (FAILED(hr)) return hr;
    ResetState();
    SetSwapInterval();
    return D3D_OK;
}

HRESULT CGLDevice::BuildBackBuffer() {
    DeleteBackBufferObjects();
    const UINT w = params.BackBufferWidth;
    const UINT h = params.BackBufferHeight;
    if (!backBuffer->AllocateStorage(w, h, params.BackBufferFormat, params.MultiSampleType, samples))
        return D3DERR_NOTAVAILABLE;
    if (params.EnableAutoDepthStencil) {
        if (!autoDepth->AllocateStorage(w, h, params.AutoDepthStencilFormat,
                                        params.MultiSampleType, samples))
            return D3DERR_NOTAVAILABLE;
        InitialiseDepth(*autoDepth);
    }

    glGenFramebuffers(1, &backBufferRead);
    cache.BindDrawFramebuffer(backBufferRead, true);
    backBuffer->AttachTo(GL_COLOR_ATTACHMENT0);
    // The back buffer starts black; the program never clears it outside
    // the area it draws.
    cache.PrepareBlit();
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    if (samples > 0) {
        glGenRenderbuffers(1, &resolveColour);
        glBindRenderbuffer(GL_RENDERBUFFER, resolveColour);
        glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, static_cast<GLsizei>(w),
                              static_cast<GLsizei>(h));
        glBindRenderbuffer(GL_RENDERBUFFER, 0);
        glGenFramebuffers(1, &resolveRead);
        cache.BindDrawFramebuffer(resolveRead, true);
        glFramebufferRenderbuffer(GL_DRAW_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER,
                                  resolveColour);
    }
    const bool complete = glCheckFramebufferStatus(GL_DRAW_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
    CheckGLError("building the back buffer");
    return complete ? D3D_OK : D3DERR_NOTAVAILABLE;
}

// New depth buffers hold the far plane, so that what is drawn first is not
// hidden by whatever the memory held.
void CGLDevice::InitialiseDepth(const CGLSurface& depth) {
    GLuint framebuffer = 0;
    glGenFramebuffers(1, &framebuffer);
    cache.BindDrawFramebuffer(framebuffer, true);
    depth.AttachTo(GL_DEPTH_ATTACHMENT);
    glDrawBuffer(GL_NONE);  // depth alone is complete only without a colour buffer to draw
    cache.PrepareClear(GLRect{0, 0, static_cast<int>(depth.Width()), static_cast<int>(depth.Height())});
    glClearDepth(1.0);
    glClear(GL_DEPTH_BUFFER_BIT);
    cache.BindDrawFramebuffer(0, true);
    glDeleteFramebuffers(1, &framebuffer);
    CheckGLError("initialising a depth buffer");
}

void CGLDevice::DeleteBackBufferObjects() {
    for (GLuint* fb : {&backBufferRead, &resolveRead}) {
        if (*fb != 0) {
            cache.ForgetFramebuffer(*fb);
            glDeleteFramebuffers(1, fb);
            *fb = 0;
        }
    }
    if (resolveColour != 0) glDeleteRenderbuffers(1, &resolveColour);
    resolveColour = 0;
}

// Direct3D's defaults: every state, the back buffer and its depth buffer as
// targets, nothing else bound.
void CGLDevice::ResetState() {
    ReleaseBindings();
    state.ResetToDefaults(params.EnableAutoDepthStencil != FALSE, params.BackBufferWidth,
                          params.BackBufferHeight);
    Rebind(renderTarget, backBuffer.get());
    Rebind(depthStencil, params.EnableAutoDepthStencil ? autoDepth.get() : nullptr);
    state.renderTarget = renderTarget;
    state.depthStencil = depthStencil;
    for (int g = 0; g < kGLUniformGroupCount; ++g) Bump(static_cast<GLUniformGroup>(g));
    ResetGLState();
}

// Puts GL and the cache into one known state: what the cache believes is
// then what GL has, whatever happened to the context before.
void CGLDevice::ResetGLState() {
    glBindVertexArray(vertexArray);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
    attributes = AttributeSetup{};
    elementBuffer = 0;
    for (GLuint i = 0; i <= kGLAttribTexCoord; ++i) glDisableVertexAttribArray(i);
    glDisable(GL_DITHER);
    glDisable(GL_STENCIL_TEST);
    glDisable(GL_POLYGON_OFFSET_FILL);
    glEnable(GL_PRIMITIVE_RESTART);
    glPrimitiveRestartIndex(kRestartIndex);
    glDisable(GL_FRAMEBUFFER_SRGB);
    glBlendEquation(GL_FUNC_ADD);
    // Direct3D's flat shading takes the first vertex's colour.
    glProvokingVertex(GL_FIRST_VERTEX_CONVENTION);
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    glActiveTexture(GL_TEXTURE0);
    cache.Reset(GLPipelineState{}, sampler0);
    shaders.ForgetUploads();
    lastFramebuffer = nullptr;
    CheckGLError("resetting GL state");
}

void CGLDevice::ReleaseBindings() {
    for (auto& texture : textures) Rebind(texture, static_cast<CGLTexture*>(nullptr));
    Rebind(streamSource, static_cast<CGLVertexBuffer*>(nullptr));
    Rebind(indices, static_cast<CGLIndexBuffer*>(nullptr));
    Rebind(renderTarget, static_cast<CGLSurface*>(nullptr));
    Rebind(depthStencil, static_cast<CGLSurface*>(nullptr));
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
    for (const Framebuffer& fb : framebuffers) glDeleteFramebuffers(1, &fb.name);
    framebuffers.clear();
    DeleteBackBufferObjects();
    backBuffer.reset();
    autoDepth.reset();
    if (vertexArray != 0) glDeleteVertexArrays(1, &vertexArray);
    if (sampler0 != 0) glDeleteSamplers(1, &sampler0);
    if (streamBuffer != 0) glDeleteBuffers(1, &streamBuffer);
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
    if (p == nullptr) return D3DERR_INVALIDCALL;
    // As in Direct3D 9: the caller must first release what lives in the
    // default pool. Nothing is lost when it is refused; the device goes on.
    if (liveDefaultResources > 0) return D3DERR_INVALIDCALL;
    D3DPRESENT_PARAMETERS next = *p;
    int nextSamples = 0;
    const HRESULT hr = ValidatePresentParameters(&next, &limits, &nextSamples);
    if (FAILED(hr)) return hr;

    MakeCurrent();
    ReleaseBindings();
    params = next;
    samples = nextSamples;
    if (!params.EnableAutoDepthStencil) autoDepth->FreeStorage();
    const HRESULT built = BuildBackBuffer();
    ResetState();
    SetSwapInterval();
    *p = params;
    return built;
}

int CGLDevice::MultiSampleSamples(D3DMULTISAMPLE_TYPE type) const {
    if (type == D3DMULTISAMPLE_NONMASKABLE) return std::min(4, limits.maxSamples);
    if (type >= 2 && type <= 16 && static_cast<int>(type) <= limits.maxSamples)
        return static_cast<int>(type);
    return type == D3DMULTISAMPLE_NONE ? 0 : -1;
}

// ---------------------------------------------------------------------------
// Resource bookkeeping

void CGLDevice::ResourceReferenced(bool defaultPool) {
    if (defaultPool) ++liveDefaultResources;
}

void CGLDevice::ResourceUnreferenced(bool defaultPool) {
    if (defaultPool) --liveDefaultResources;
}

void CGLDevice::SurfaceStorageChanging(const CGLSurface* surface) {
    MakeCurrent();
    const auto uses = [surface](const Framebuffer& fb) {
        return fb.colour == surface || fb.depth == surface;
    };
    for (const Framebuffer& fb : framebuffers) {
        if (!uses(fb)) continue;
        cache.ForgetFramebuffer(fb.name);
        glDeleteFramebuffers(1, &fb.name);
    }
    std::erase_if(framebuffers, uses);
    lastFramebuffer = nullptr;
}

void CGLDevice::TextureDeleting(GLuint texture) { cache.ForgetTexture(texture); }

void CGLDevice::BufferDeleting(GLuint buffer) {
    if (attributes.buffer == buffer) attributes = AttributeSetup{};
    if (elementBuffer == buffer) elementBuffer = 0;
}

HRESULT CGLDevice::CreateTexture(UINT width, UINT height, UINT levels, DWORD usage,
                                 D3DFORMAT format, D3DPOOL pool, IDirect3DTexture9** texture,
                                 HANDLE* sharedHandle) {
    MakeCurrent();
    if (sharedHandle != nullptr) return D3DERR_INVALIDCALL;
    return CGLTexture::Create(*this, width, height, levels, usage, format, pool, texture);
}

HRESULT CGLDevice::CreateVertexBuffer(UINT length, DWORD usage, DWORD fvf, D3DPOOL pool,
                                      IDirect3DVertexBuffer9** buffer, HANDLE* sharedHandle) {
    MakeCurrent();
    if (sharedHandle != nullptr) return D3DERR_INVALIDCALL;
    return CGLVertexBuffer::Create(*this, length, usage, fvf, pool, buffer);
}

HRESULT CGLDevice::CreateIndexBuffer(UINT length, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                                     IDirect3DIndexBuffer9** buffer, HANDLE* sharedHandle) {
    if (sharedHandle != nullptr) return D3DERR_INVALIDCALL;
    return CGLIndexBuffer::Create(*this, length, usage, format, pool, buffer);
}

HRESULT CGLDevice::CreateDepthStencilSurface(UINT width, UINT height, D3DFORMAT format,
                                             D3DMULTISAMPLE_TYPE multiSample,
                                             DWORD multisampleQuality, BOOL /*discard*/,
                                             IDirect3DSurface9** surface, HANDLE* sharedHandle) {
    if (surface == nullptr) return D3DERR_INVALIDCALL;
    *surface = nullptr;
    if (sharedHandle != nullptr || multisampleQuality != 0) return D3DERR_INVALIDCALL;
    const auto maxSide = static_cast<UINT>(limits.maxRenderbufferSize);
    if (width == 0 || height == 0 || width > maxSide || height > maxSide ||
        std::uint64_t{width} * height > kMaxBackBufferSamples)
        return D3DERR_INVALIDCALL;
    if (format != D3DFMT_D16) return D3DERR_INVALIDCALL;
    const int count = MultiSampleSamples(multiSample);
    if (count < 0) return D3DERR_INVALIDCALL;
    return CGLSurface::CreateDepthStencil(*this, width, height, format, multiSample, count, surface);
}

// ---------------------------------------------------------------------------
// Targets

HRESULT CGLDevice::GetRenderTarget(DWORD index, IDirect3DSurface9** surface) {
    if (surface == nullptr) return D3DERR_INVALIDCALL;
    *surface = nullptr;
    if (index != 0 || renderTarget == nullptr) return D3DERR_INVALIDCALL;
    renderTarget->AddRef();
    *surface = renderTarget;
    return D3D_OK;
}

HRESULT CGLDevice::SetRenderTarget(DWORD index, IDirect3DSurface9* surface) {
    FlushDraws();
    if (index != 0 || surface == nullptr) return D3DERR_INVALIDCALL;
    auto* target = dynamic_cast<CGLSurface*>(surface);
    if (target == nullptr || &target->Device() != this || !target->IsColor()) return D3DERR_INVALIDCALL;
    if (target->Texture() != nullptr && (target->Texture()->Usage() & D3DUSAGE_RENDERTARGET) == 0)
        return D3DERR_INVALIDCALL;
    Rebind(renderTarget, target);
    state.renderTarget = renderTarget;
    // Setting render target 0 makes the viewport the whole new target.
    state.viewport = D3DVIEWPORT9{0, 0, target->Width(), target->Height(), 0.0f, 1.0f};
    Bump(kGLUniformViewport);
    return D3D_OK;
}

HRESULT CGLDevice::GetDepthStencilSurface(IDirect3DSurface9** surface) {
    if (surface == nullptr) return D3DERR_INVALIDCALL;
    *surface = nullptr;
    if (depthStencil == nullptr) return D3DERR_NOTFOUND;
    depthStencil->AddRef();
    *surface = depthStencil;
    return D3D_OK;
}

HRESULT CGLDevice::SetDepthStencilSurface(IDirect3DSurface9* surface) {
    FlushDraws();
    CGLSurface* depth = nullptr;
    if (surface != nullptr) {
        depth = dynamic_cast<CGLSurface*>(surface);
        if (depth == nullptr || &depth->Device() != this || !depth->IsDepth() || !depth->HasStorage())
            return D3DERR_INVALIDCALL;
    }
    Rebind(depthStencil, depth);
    state.depthStencil = depthStencil;
    return D3D_OK;
}

HRESULT CGLDevice::SetViewport(const D3DVIEWPORT9* viewport) {
    FlushDraws();
    if (viewport == nullptr || renderTarget == nullptr) return D3DERR_INVALIDCALL;
    // The viewport must lie inside the render target.
    if (std::uint64_t{viewport->X} + viewport->Width > renderTarget->Width() ||
        std::uint64_t{viewport->Y} + viewport->Height > renderTarget->Height())
        return D3DERR_INVALIDCALL;
    state.viewport = *viewport;
    Bump(kGLUniformViewport);
    return D3D_OK;
}

HRESULT CGLDevice::GetViewport(D3DVIEWPORT9* viewport) {
    if (viewport == nullptr) return D3DERR_INVALIDCALL;
    *viewport = state.viewport;
    return D3D_OK;
}

const CGLDevice::Framebuffer* CGLDevice::BindTarget() {
    if (renderTarget == nullptr || !renderTarget->HasStorage()) return nullptr;
    const CGLSurface* depth =
        depthStencil != nullptr && depthStencil->HasStorage() ? depthStencil : nullptr;
    const Framebuffer* found = nullptr;
    if (lastFramebuffer != nullptr && lastFramebuffer->colour == renderTarget &&
        lastFramebuffer->depth == depth) {
        found = lastFramebuffer;
    } else {
        for (const Framebuffer& fb : framebuffers) {
            if (fb.colour == renderTarget && fb.depth == depth) {
                found = &fb;
                break;
            }
        }
    }
    if (found == nullptr) {
        Framebuffer fb;
        fb.colour = renderTarget;
        fb.depth = depth;
        glGenFramebuffers(1, &fb.name);
        cache.BindDrawFramebuffer(fb.name, true);
        renderTarget->AttachTo(GL_COLOR_ATTACHMENT0);
        if (depth != nullptr) depth->AttachTo(GL_DEPTH_ATTACHMENT);
        const GLenum status = glCheckFramebufferStatus(GL_DRAW_FRAMEBUFFER);
        fb.complete = status == GL_FRAMEBUFFER_COMPLETE;
        CheckGLError("attaching a render target");
        if (!fb.complete)
            ReportGLProblem(
                "render target and depth surface do not fit together (size or multisampling); "
                "drawing into them is skipped");
        framebuffers.push_back(fb);
        found = &framebuffers.back();
    }
    lastFramebuffer = found;
    if (!found->complete) return nullptr;
    cache.BindDrawFramebuffer(found->name, forceState);
    return found;
}

// ---------------------------------------------------------------------------
// State setters: they only record.

HRESULT CGLDevice::SetTransform(D3DTRANSFORMSTATETYPE type, const D3DMATRIX* matrix) {
    FlushDraws();
    if (matrix == nullptr) return D3DERR_INVALIDCALL;
    switch (type) {
        case D3DTS_WORLD: state.world = *matrix; break;
        case D3DTS_VIEW:
            state.view = *matrix;
            Bump(kGLUniformLighting);  // lights are uploaded in camera space
            break;
        case D3DTS_PROJECTION: state.projection = *matrix; break;
        default: return D3DERR_INVALIDCALL;
    }
    Bump(kGLUniformTransform);
    return D3D_OK;
}

HRESULT CGLDevice::SetMaterial(const D3DMATERIAL9* material) {
    FlushDraws();
    if (material == nullptr) return D3DERR_INVALIDCALL;
    state.material = *material;
    Bump(kGLUniformLighting);
    return D3D_OK;
}

HRESULT CGLDevice::SetLight(DWORD index, const D3DLIGHT9* light) {
    FlushDraws();
    if (light == nullptr || index >= kD3DMaxLights) return D3DERR_INVALIDCALL;
    if (light->Type < D3DLIGHT_POINT || light->Type > D3DLIGHT_DIRECTIONAL) return D3DERR_INVALIDCALL;
    state.lights[index] = *light;
    Bump(kGLUniformLighting);
    return D3D_OK;
}

HRESULT CGLDevice::LightEnable(DWORD index, BOOL enable) {
    FlushDraws();
    if (index >= kD3DMaxLights) return D3DERR_INVALIDCALL;
    state.lightEnabled[index] = enable ? TRUE : FALSE;
    Bump(kGLUniformLighting);
    return D3D_OK;
}

HRESULT CGLDevice::SetRenderState(D3DRENDERSTATETYPE type, DWORD value) {
    FlushDraws();
    if (!IsValidRenderState(type)) return D3DERR_INVALIDCALL;
    if (state.renderStates[type] == value) return D3D_OK;
    state.renderStates[type] = value;
    if (IsLightingState(type)) Bump(kGLUniformLighting);
    if (type == D3DRS_TEXTUREFACTOR || type == D3DRS_ALPHAREF) Bump(kGLUniformMisc);
    return D3D_OK;
}

HRESULT CGLDevice::GetRenderState(D3DRENDERSTATETYPE type, DWORD* value) {
    if (value == nullptr || !IsValidRenderState(type)) return D3DERR_INVALIDCALL;
    *value = state.renderStates[type];
    return D3D_OK;
}

HRESULT CGLDevice::SetTexture(DWORD stage, IDirect3DBaseTexture9* texture) {
    FlushDraws();
    if (stage >= kD3DMaxTextureStages) return D3DERR_INVALIDCALL;
    CGLTexture* next = nullptr;
    if (texture != nullptr) {
        next = dynamic_cast<CGLTexture*>(texture);
        if (next == nullptr || &next->Device() != this) return D3DERR_INVALIDCALL;
    }
    Rebind(textures[stage], next);
    state.textures[stage] = next;
    return D3D_OK;
}

HRESULT CGLDevice::SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD value) {
    FlushDraws();
    if (!IsValidStageState(stage, type)) return D3DERR_INVALIDCALL;
    state.stages[stage].states[type] = value;
    return D3D_OK;
}

HRESULT CGLDevice::SetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD value) {
    FlushDraws();
    if (!IsValidSamplerState(sampler, type)) return D3DERR_INVALIDCALL;
    state.samplers[sampler].states[type] = value;
    return D3D_OK;
}

HRESULT CGLDevice::SetFVF(DWORD fvf) {
    FlushDraws();
    if (state.fvf == fvf) return D3D_OK;
    state.fvf = fvf;
    Bump(kGLUniformLighting);  // which colours the vertex carries steers the sources
    return D3D_OK;
}

HRESULT CGLDevice::SetStreamSource(UINT stream, IDirect3DVertexBuffer9* buffer, UINT offset,
                                   UINT stride) {
    FlushDraws();
    if (stream != 0) return D3DERR_INVALIDCALL;  // one stream is all the device offers
    CGLVertexBuffer* next = nullptr;
    if (buffer != nullptr) {
        next = dynamic_cast<CGLVertexBuffer*>(buffer);
        if (next == nullptr || &next->Device() != this) return D3DERR_INVALIDCALL;
    }
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
        next = dynamic_cast<CGLIndexBuffer*>(buffer);
        if (next == nullptr || &next->Device() != this) return D3DERR_INVALIDCALL;
    }
    Rebind(indices, next);
    state.indices = next;
    return D3D_OK;
}

// ---------------------------------------------------------------------------
// Scenes, Clear and drawing

HRESULT CGLDevice::BeginScene() {
    if (inScene) return D3DERR_INVALIDCALL;
    inScene = true;
    return D3D_OK;
}

HRESULT CGLDevice::EndScene() {
    if (!inScene) return D3DERR_INVALIDCALL;
    inScene = false;
    return D3D_OK;
}

HRESULT CGLDevice::Clear(DWORD count, const D3DRECT* rects, DWORD flags, D3DCOLOR color, float z,
                         DWORD /*stencil*/) {
    constexpr DWORD kKnownFlags = D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL;
    if (flags == 0 || (flags & ~kKnownFlags) != 0 || (count > 0 && rects == nullptr))
        return D3DERR_INVALIDCALL;
    const bool hasDepth = depthStencil != nullptr && depthStencil->HasStorage();
    // D16 has no stencil; depth needs a depth buffer.
    if ((flags & D3DCLEAR_STENCIL) != 0 || ((flags & D3DCLEAR_ZBUFFER) != 0 && !hasDepth))
        return D3DERR_INVALIDCALL;
    MakeCurrent();
    if (BindTarget() == nullptr) return D3DERR_INVALIDCALL;

    GLbitfield mask = 0;
    if (flags & D3DCLEAR_TARGET) {
        const auto c = ColorToFloats(color);
        // An X8 target keeps alpha 1 (see GLTargetInfo::opaqueAlpha).
        glClearColor(c[0], c[1], c[2], renderTarget->Format() == D3DFMT_X8R8G8B8 ? 1.0f : c[3]);
        mask |= GL_COLOR_BUFFER_BIT;
    }
    if (flags & D3DCLEAR_ZBUFFER) {
        glClearDepth(std::clamp(z, 0.0f, 1.0f));
        mask |= GL_DEPTH_BUFFER_BIT;
    }
    // Clear touches the viewport (and the rectangles inside it) only, and
    // is not held back by the Z-write or colour-write states.
    const D3DVIEWPORT9& vp = state.viewport;
    const std::int64_t vx0 = vp.X;
    const std::int64_t vy0 = vp.Y;
    const std::int64_t vx1 = vx0 + vp.Width;
    const std::int64_t vy1 = vy0 + vp.Height;
    const DWORD areas = count > 0 ? count : 1;
    for (DWORD i = 0; i < areas; ++i) {
        std::int64_t x0 = vx0, y0 = vy0, x1 = vx1, y1 = vy1;
        if (count > 0) {
            x0 = std::max<std::int64_t>(x0, rects[i].x1);
            y0 = std::max<std::int64_t>(y0, rects[i].y1);
            x1 = std::min<std::int64_t>(x1, rects[i].x2);
            y1 = std::min<std::int64_t>(y1, rects[i].y2);
        }
        if (x1 <= x0 || y1 <= y0) continue;
        // Rows are the same in both APIs: no flip.
        cache.PrepareClear(GLRect{static_cast<int>(x0), static_cast<int>(y0),
                                  static_cast<int>(x1 - x0), static_cast<int>(y1 - y0)});
        glClear(mask);
    }
    CheckGLError("glClear");
    return D3D_OK;
}

HRESULT CGLDevice::PrepareDraw(const GLVertexLayout& layout, const GLDrawFacts& facts) {
    const Framebuffer* fb = BindTarget();
    if (fb == nullptr) return D3DERR_INVALIDCALL;
    CGLTexture* texture = textures[0];
    if (texture != nullptr && &texture->Level0() == renderTarget) {
        ReportGLProblem("a draw that samples its own render target is skipped");
        return D3DERR_INVALIDCALL;
    }
    const GLTargetInfo target{fb->depth != nullptr, renderTarget->Format() == D3DFMT_X8R8G8B8};
    const GLPipelineState wanted = PlanPipeline(state, layout, target, facts);
    CGLProgram* program = shaders.Get(wanted.shader);
    if (program == nullptr) return D3DERR_INVALIDCALL;
    cache.Apply(wanted, forceState);
    cache.UseProgram(program->name, forceState);
    UploadUniforms(*program, layout, facts);
    cache.BindTexture0(texture != nullptr ? texture->Name() : 0, forceState);
    return D3D_OK;
}

void CGLDevice::UploadUniforms(CGLProgram& program, const GLVertexLayout& layout,
                               const GLDrawFacts& facts) {
    const GLProgramLocations& at = program.at;
    const auto due = [&](GLUniformGroup group) {
        if (!forceState && program.uploaded[group] == versions[group]) return false;
        program.uploaded[group] = versions[group];
        return true;
    };
    if (due(kGLUniformViewport)) {
        const GLViewportUniforms u = ComputeViewportUniforms(state.viewport);
        if (at.screen >= 0) glUniform4fv(at.screen, 1, u.screen.data());
        if (at.fixup >= 0) glUniform2fv(at.fixup, 1, u.fixup.data());
    }
    if (due(kGLUniformTransform) && at.worldView >= 0) {
        const GLTransformUniforms u = ComputeTransformUniforms(state);
        glUniformMatrix4fv(at.worldView, 1, GL_FALSE, u.worldView.data());
        glUniformMatrix4fv(at.projection, 1, GL_FALSE, u.projection.data());
        if (at.normalMatrix >= 0) glUniformMatrix3fv(at.normalMatrix, 1, GL_FALSE, u.normalMatrix.data());
    }
    if (due(kGLUniformLighting) && program.key.lit) {
        const GLLightingUniforms u = ComputeLightingUniforms(state, layout);
        if (u.lightCount > 0) {
            glUniform3fv(at.lightToLight, u.lightCount, u.toLight[0].data());
            glUniform3fv(at.lightDiffuse, u.lightCount, u.diffuse[0].data());
            if (at.lightSpecular >= 0) glUniform3fv(at.lightSpecular, u.lightCount, u.specular[0].data());
            glUniform3fv(at.lightAmbient, u.lightCount, u.ambient[0].data());
        }
        glUniform4fv(at.materialDiffuse, 1, u.materialDiffuse.data());
        glUniform4fv(at.materialAmbient, 1, u.materialAmbient.data());
        glUniform4fv(at.materialSpecular, 1, u.materialSpecular.data());
        glUniform4fv(at.materialEmissive, 1, u.materialEmissive.data());
        if (at.materialPower >= 0) glUniform1f(at.materialPower, u.materialPower);
        glUniform3fv(at.globalAmbient, 1, u.globalAmbient.data());
        glUniform4iv(at.colorSource, 1, u.colorSource.data());
        glUniform1i(at.localViewer, u.localViewer);
        glUniform1i(at.normalizeNormals, u.normalizeNormals);
    }
    if (due(kGLUniformMisc)) {
        if (at.textureFactor >= 0)
            glUniform4fv(at.textureFactor, 1, ColorToFloats(state.RenderState(D3DRS_TEXTUREFACTOR)).data());
        if (at.alphaRef >= 0)
            glUniform1f(at.alphaRef, static_cast<float>(state.RenderState(D3DRS_ALPHAREF) & 0xFF));
        if (at.texture0 >= 0) glUniform1i(at.texture0, 0);
    }
    if (program.key.constantDiffuse && at.constantDiffuse >= 0 &&
        (forceState || !program.hasConstantDiffuse || program.constantDiffuse != facts.diffuse)) {
        glUniform4fv(at.constantDiffuse, 1, ColorToFloats(facts.diffuse).data());
        program.hasConstantDiffuse = true;
        program.constantDiffuse = facts.diffuse;
    }
}

void CGLDevice::SetupAttributes(GLuint buffer, const GLVertexLayout& layout, UINT stride,
                                std::size_t offset) {
    const AttributeSetup wanted{buffer, state.fvf, stride, offset};
    if (!forceState && wanted == attributes) return;
    attributes = wanted;
    const auto s = static_cast<GLsizei>(stride);
    glBindBuffer(GL_ARRAY_BUFFER, buffer);
    glVertexAttribPointer(kGLAttribPosition, layout.pretransformed ? 4 : 3, GL_FLOAT, GL_FALSE, s,
                          BufferOffset(offset));
    glEnableVertexAttribArray(kGLAttribPosition);
    const auto optional = [&](GLuint location, int at, GLint size, GLenum type, GLboolean norm) {
        if (at < 0) {
            glDisableVertexAttribArray(location);
            return;
        }
        glVertexAttribPointer(location, size, type, norm, s, BufferOffset(offset + static_cast<std::size_t>(at)));
        glEnableVertexAttribArray(location);
    };
    optional(kGLAttribNormal, layout.normalOffset, 3, GL_FLOAT, GL_FALSE);
    // A D3DCOLOR is 0xAARRGGBB: bytes B, G, R, A in memory, which GL reads
    // as a normalised BGRA colour.
    optional(kGLAttribDiffuse, layout.diffuseOffset, GL_BGRA, GL_UNSIGNED_BYTE, GL_TRUE);
    optional(kGLAttribSpecular, layout.specularOffset, GL_BGRA, GL_UNSIGNED_BYTE, GL_TRUE);
    optional(kGLAttribTexCoord, layout.texCoordOffset, layout.texCoordComponents, GL_FLOAT, GL_FALSE);
}

// Vertices from user memory and joined indices go into one reusable
// buffer, one after another; when it is full its storage is orphaned, so a
// draw still reading the old storage never waits for the new data.
std::size_t CGLDevice::StreamBytes(const void* data, std::size_t bytes, std::size_t alignment) {
    std::size_t start = (streamPosition + alignment - 1) / alignment * alignment;
    glBindBuffer(GL_COPY_WRITE_BUFFER, streamBuffer);
    if (start + bytes > streamCapacity) {
        while (streamCapacity < bytes) streamCapacity *= 2;
        glBufferData(GL_COPY_WRITE_BUFFER, static_cast<GLsizeiptr>(streamCapacity), nullptr,
                     GL_STREAM_DRAW);
        start = 0;
    }
    glBufferSubData(GL_COPY_WRITE_BUFFER, static_cast<GLintptr>(start),
                    static_cast<GLsizeiptr>(bytes), data);
    streamPosition = start + bytes;
    return start;
}

HRESULT CGLDevice::DrawPrimitiveUP(D3DPRIMITIVETYPE type, UINT primitiveCount,
                                   const void* vertexData, UINT vertexStride) {
    const UINT vertices = VertexCountFor(type, primitiveCount);
    const GLVertexLayout layout = DecodeFvf(state.fvf);
    if (vertices == 0 || vertexData == nullptr || !layout.valid || vertexStride < layout.size)
        return D3DERR_INVALIDCALL;
    const std::uint64_t bytes = std::uint64_t{vertices} * vertexStride;
    if (bytes > kMaxUserVertexBytes) return D3DERR_INVALIDCALL;
    MakeCurrent();
    const HRESULT hr = PrepareDraw(layout, ExamineVertices(layout, vertexData, vertices, vertexStride));
    if (SUCCEEDED(hr)) {
        const auto first = static_cast<GLint>(
            StreamBytes(vertexData, static_cast<std::size_t>(bytes), vertexStride) / vertexStride);
        SetupAttributes(streamBuffer, layout, vertexStride, 0);
        glDrawArrays(PrimitiveMode(type), first, static_cast<GLsizei>(vertices));
        CheckGLError("glDrawArrays (DrawPrimitiveUP)");
    }
    // Direct3D leaves stream 0 unset after a draw from user memory.
    Rebind(streamSource, static_cast<CGLVertexBuffer*>(nullptr));
    state.streamSource = nullptr;
    state.streamOffset = 0;
    state.streamStride = 0;
    return hr;
}

// llvmpipe shades every vertex between the smallest and the largest index
// of a draw, so the program's 63 strips per shape, each reaching across the
// whole vertex buffer, would shade its 4096 vertices 63 times. A run of
// indexed draws with nothing changed in between is therefore held back and
// drawn as one: the indices (plus the base vertex) are copied into the
// stream buffer, strips separated by primitive restart. Anything else the
// device does first draws what is held (MakeCurrent, FlushDraws), and since
// every setter does so the state is the one the draws were made with.
HRESULT CGLDevice::DrawIndexedPrimitive(D3DPRIMITIVETYPE type, INT baseVertexIndex,
                                        UINT /*minVertexIndex*/, UINT /*numVertices*/,
                                        UINT startIndex, UINT primitiveCount) {
    const UINT count = VertexCountFor(type, primitiveCount);
    const GLVertexLayout layout = DecodeFvf(state.fvf);
    if (count == 0 || !layout.valid || streamSource == nullptr || indices == nullptr)
        return D3DERR_INVALIDCALL;
    const UINT stride = state.streamStride;
    const UINT length = streamSource->Data().Length();
    if (stride < layout.size || state.streamOffset > length) return D3DERR_INVALIDCALL;
    // Every index must name a vertex inside the buffer: GL would otherwise
    // read past it.
    const std::int64_t available = (length - state.streamOffset) / stride;

    if (pending.active && pending.type == type) {
        const std::size_t before = pending.indices.size();
        const bool strips = type == D3DPT_LINESTRIP || type == D3DPT_TRIANGLESTRIP ||
                            type == D3DPT_TRIANGLEFAN;
        if (strips) pending.indices.push_back(kRestartIndex);
        if (!indices->AppendIndices(startIndex, count, baseVertexIndex, available, &pending.indices)) {
            pending.indices.resize(before);
            return D3DERR_INVALIDCALL;
        }
        return D3D_OK;
    }

    MakeCurrent();
    pending.indices.clear();
    if (!indices->AppendIndices(startIndex, count, baseVertexIndex, available, &pending.indices))
        return D3DERR_INVALIDCALL;
    const HRESULT hr = PrepareDraw(layout, GLDrawFacts{});
    if (FAILED(hr)) return hr;
    SetupAttributes(streamSource->Data().Name(), layout, stride, state.streamOffset);
    pending.active = true;
    pending.type = type;
    return D3D_OK;
}

void CGLDevice::FlushDraws() {
    if (!pending.active) return;
    pending.active = false;
    Activate();
    const std::size_t offset =
        StreamBytes(pending.indices.data(), pending.indices.size() * sizeof(std::uint32_t), 4);
    if (forceState || elementBuffer != streamBuffer) {
        glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, streamBuffer);
        elementBuffer = streamBuffer;
    }
    glDrawElements(PrimitiveMode(pending.type), static_cast<GLsizei>(pending.indices.size()),
                   GL_UNSIGNED_INT, BufferOffset(offset));
    CheckGLError("glDrawElements (DrawIndexedPrimitive)");
}

// ---------------------------------------------------------------------------
// Presentation and readback

GLuint CGLDevice::ResolveBackBuffer() {
    if (samples == 0) return backBufferRead;
    const auto w = static_cast<GLint>(params.BackBufferWidth);
    const auto h = static_cast<GLint>(params.BackBufferHeight);
    cache.PrepareBlit();
    glBindFramebuffer(GL_READ_FRAMEBUFFER, backBufferRead);
    cache.BindDrawFramebuffer(resolveRead, false);
    glBlitFramebuffer(0, 0, w, h, 0, 0, w, h, GL_COLOR_BUFFER_BIT, GL_NEAREST);
    CheckGLError("glBlitFramebuffer (resolving the back buffer)");
    return resolveRead;
}

// The whole back buffer always goes to the whole client area of the
// device's window: the program passes no rectangles and no other window.
HRESULT CGLDevice::Present(const RECT*, const RECT*, HWND, const RGNDATA*) {
    MakeCurrent();
    const GLuint source = ResolveBackBuffer();
    const auto w = static_cast<GLint>(params.BackBufferWidth);
    const auto h = static_cast<GLint>(params.BackBufferHeight);
    int dw = 0;
    int dh = 0;
    context->GetDrawableSize(&dw, &dh);
    if (dw <= 0 || dh <= 0) {
        dw = w;
        dh = h;
    }
    // Direct3D row 0 is GL row 0 in the back buffer; the window wants it at
    // the top, so the copy runs upside down (and stretches, as Direct3D
    // does, when the window's size differs).
    cache.PrepareBlit();
    glBindFramebuffer(GL_READ_FRAMEBUFFER, source);
    cache.BindDrawFramebuffer(0, false);
    glBlitFramebuffer(0, 0, w, h, 0, dh, dw, 0, GL_COLOR_BUFFER_BIT,
                      dw == w && dh == h ? GL_NEAREST : GL_LINEAR);
    CheckGLError("glBlitFramebuffer (present)");
    context->SwapWindow();
    return D3D_OK;
}

void CGLDevice::ReadBackBuffer(std::vector<std::uint32_t>* pixels, UINT* width, UINT* height) {
    MakeCurrent();
    const UINT w = params.BackBufferWidth;
    const UINT h = params.BackBufferHeight;
    pixels->assign(std::size_t{w} * h, 0);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, ResolveBackBuffer());
    glReadBuffer(GL_COLOR_ATTACHMENT0);
    // BGRA bytes in little-endian memory are 0xAARRGGBB words, and GL row 0
    // is Direct3D's top row.
    glReadPixels(0, 0, static_cast<GLsizei>(w), static_cast<GLsizei>(h), GL_BGRA,
                 GL_UNSIGNED_BYTE, pixels->data());
    CheckGLError("glReadPixels (back buffer)");
    if (params.BackBufferFormat == D3DFMT_X8R8G8B8)
        for (auto& p : *pixels) p |= 0xFF000000u;
    if (width != nullptr) *width = w;
    if (height != nullptr) *height = h;
}

void CGLDevice::Finish() {
    MakeCurrent();
    glFinish();
}
