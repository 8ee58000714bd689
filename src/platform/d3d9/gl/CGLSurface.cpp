#include "platform/d3d9/gl/CGLSurface.h"

#include "platform/d3d9/gl/CGLDevice.h"
#include "platform/d3d9/gl/CGLTexture.h"
#include "platform/d3d9/gl/GLCheck.h"
#include "platform/d3d9/gl/GLColourTexture.h"

CGLSurface::CGLSurface(CGLDevice& device, GLSurfaceKind kind, bool defaultPool)
    : CD3DResourceLife(device, defaultPool), device(device), kind(kind) {}

std::unique_ptr<CGLSurface> CGLSurface::MakeDeviceOwned(CGLDevice& device, GLSurfaceKind kind) {
    return std::unique_ptr<CGLSurface>(new CGLSurface(device, kind, false));
}

std::unique_ptr<CGLSurface> CGLSurface::MakeTextureLevel(CGLTexture& texture) {
    auto surface = std::unique_ptr<CGLSurface>(
        new CGLSurface(texture.Device(), GLSurfaceKind::TextureLevel, false));
    surface->texture = &texture;
    return surface;
}

HRESULT CGLSurface::CreateDepthStencil(CGLDevice& device, UINT width, UINT height, D3DFORMAT format,
                                       D3DMULTISAMPLE_TYPE multiSample, int samples,
                                       IDirect3DSurface9** out) {
    device.MakeCurrent();
    auto surface =
        std::unique_ptr<CGLSurface>(new CGLSurface(device, GLSurfaceKind::DepthStencil, true));
    if (!surface->AllocateStorage(width, height, format, multiSample, samples))
        return RefuseD3DCall("CreateDepthStencilSurface", D3DRefusal::OutOfVideoMemory);
    surface->InitialiseDepth();
    surface->AddRef();
    *out = surface.release();
    return D3D_OK;
}

HRESULT CGLSurface::CreatePlain(CGLDevice& device, UINT width, UINT height, D3DFORMAT format,
                                IDirect3DSurface9** out) {
    auto surface = std::unique_ptr<CGLSurface>(new CGLSurface(device, GLSurfaceKind::Plain, false));
    surface->width = width;
    surface->height = height;
    surface->format = format;
    // X8R8G8B8 keeps its unused byte at 0xFF, as the device's targets do.
    const std::uint8_t alpha = format == D3DFMT_X8R8G8B8 ? 0xFF : 0x00;
    surface->bytes.assign(std::size_t{width} * height * 4, 0);
    for (std::size_t i = 3; i < surface->bytes.size(); i += 4) surface->bytes[i] = alpha;
    surface->AddRef();
    *out = surface.release();
    return D3D_OK;
}

CGLSurface::~CGLSurface() {
    if (renderbuffer != 0 || colourTexture != 0) {
        Device().MakeCurrent();
        FreeStorage();
    } else if (kind == GLSurfaceKind::TextureLevel) {
        Device().SurfaceStorageChanging(this);
    }
}

ULONG CGLSurface::AddRef() {
    switch (kind) {
        case GLSurfaceKind::BackBuffer:
        case GLSurfaceKind::AutoDepth: return Device().AddRef();
        case GLSurfaceKind::TextureLevel: return texture->AddRef();
        case GLSurfaceKind::DepthStencil:
        case GLSurfaceKind::Plain: break;
    }
    return AddPublicRef();
}

ULONG CGLSurface::Release() {
    switch (kind) {
        case GLSurfaceKind::BackBuffer:
        case GLSurfaceKind::AutoDepth: return Device().Release();
        case GLSurfaceKind::TextureLevel: return texture->Release();
        case GLSurfaceKind::DepthStencil:
        case GLSurfaceKind::Plain: break;
    }
    return ReleasePublicRef();
}

void CGLSurface::Bind() {
    if (kind == GLSurfaceKind::TextureLevel)
        texture->Bind();
    else if (kind == GLSurfaceKind::DepthStencil || kind == GLSurfaceKind::Plain)
        CD3DResourceLife::Bind();
}

void CGLSurface::Unbind() {
    if (kind == GLSurfaceKind::TextureLevel)
        texture->Unbind();
    else if (kind == GLSurfaceKind::DepthStencil || kind == GLSurfaceKind::Plain)
        CD3DResourceLife::Unbind();
}

HRESULT CGLSurface::GetDesc(D3DSURFACE_DESC* desc) {
    if (desc == nullptr) return RefuseD3DCall("Surface.GetDesc", D3DRefusal::NullPointer);
    if (kind == GLSurfaceKind::TextureLevel) return texture->GetLevelDesc(0, desc);
    desc->Format = format;
    desc->Type = D3DRTYPE_SURFACE;
    desc->Usage = kind == GLSurfaceKind::BackBuffer ? D3DUSAGE_RENDERTARGET
                  : kind == GLSurfaceKind::Plain    ? 0
                                                    : D3DUSAGE_DEPTHSTENCIL;
    desc->Pool = kind == GLSurfaceKind::Plain ? D3DPOOL_SYSTEMMEM : D3DPOOL_DEFAULT;
    desc->MultiSampleType = multiSample;
    desc->MultiSampleQuality = 0;
    desc->Width = width;
    desc->Height = height;
    return D3D_OK;
}

D3DSurfaceFacts CGLSurface::Facts() {
    D3DSurfaceFacts facts;
    facts.given = true;
    facts.mine = true;
    GetDesc(&facts.desc);
    facts.hasStorage = HasStorage();
    facts.locked = locked;
    return facts;
}

HRESULT CGLSurface::LockRect(D3DLOCKED_RECT* out, const RECT* rect, DWORD flags) {
    if (kind == GLSurfaceKind::TextureLevel) return texture->LockRect(0, out, rect, flags);
    if (out == nullptr) return RefuseD3DCall("Surface.LockRect", D3DRefusal::NullPointer);
    if (const HRESULT hr = D3DCallResult("Surface.LockRect", CheckSurfaceLockRect(Facts(), rect));
        FAILED(hr))
        return hr;
    const UINT left = rect != nullptr ? static_cast<UINT>(rect->left) : 0;
    const UINT top = rect != nullptr ? static_cast<UINT>(rect->top) : 0;
    locked = true;
    out->Pitch = static_cast<INT>(width * 4);
    out->pBits = bytes.data() + (std::size_t{top} * width + left) * 4;
    return D3D_OK;
}

HRESULT CGLSurface::UnlockRect() {
    if (kind == GLSurfaceKind::TextureLevel) return texture->UnlockRect(0);
    if (!locked) return RefuseD3DCall("Surface.UnlockRect", D3DRefusal::NotLocked);
    locked = false;
    return D3D_OK;
}

void CGLSurface::ReadFramebuffer() {
    // BGRA bytes, and GL row 0 is Direct3D's top row in every target.
    glReadPixels(0, 0, static_cast<GLsizei>(width), static_cast<GLsizei>(height), GL_BGRA,
                 GL_UNSIGNED_BYTE, bytes.data());
    CheckGLError("glReadPixels (GetRenderTargetData)");
    if (format == D3DFMT_X8R8G8B8)
        for (std::size_t i = 3; i < bytes.size(); i += 4) bytes[i] = 0xFF;
}

UINT CGLSurface::Width() const { return texture != nullptr ? texture->Width() : width; }
UINT CGLSurface::Height() const { return texture != nullptr ? texture->Height() : height; }
D3DFORMAT CGLSurface::Format() const { return texture != nullptr ? texture->Format() : format; }

bool CGLSurface::HasStorage() const {
    return texture != nullptr || renderbuffer != 0 || colourTexture != 0 ||
           kind == GLSurfaceKind::Plain;
}

bool CGLSurface::AllocateStorage(UINT w, UINT h, D3DFORMAT f, D3DMULTISAMPLE_TYPE type,
                                 int sampleCount) {
    FreeStorage();
    if (kind == GLSurfaceKind::BackBuffer && sampleCount == 0) {
        // A texture rather than a renderbuffer: see CreateColourTexture.
        colourTexture = CreateColourTexture(Device().Cache(), w, h, nullptr, 0xFF000000u);
        if (colourTexture == 0) return false;
        width = w;
        height = h;
        format = f;
        multiSample = type;
        return true;
    }
    const GLenum internalFormat =
        kind == GLSurfaceKind::BackBuffer ? GL_RGBA8 : GL_DEPTH_COMPONENT16;
    DrainGLErrors("before allocating a renderbuffer");
    CGLStateCache& cache = Device().Cache();
    glGenRenderbuffers(1, &renderbuffer);
    cache.BindRenderbuffer(renderbuffer);
    if (sampleCount > 0)
        glRenderbufferStorageMultisample(GL_RENDERBUFFER, sampleCount, internalFormat,
                                         static_cast<GLsizei>(w), static_cast<GLsizei>(h));
    else
        glRenderbufferStorage(GL_RENDERBUFFER, internalFormat, static_cast<GLsizei>(w),
                              static_cast<GLsizei>(h));
    cache.BindRenderbuffer(0);
    if (glGetError() != GL_NO_ERROR) {
        glDeleteRenderbuffers(1, &renderbuffer);
        renderbuffer = 0;
        return false;
    }
    width = w;
    height = h;
    format = f;
    multiSample = type;
    return true;
}

void CGLSurface::FreeStorage() {
    if (renderbuffer == 0 && colourTexture == 0) return;
    Device().SurfaceStorageChanging(this);
    if (renderbuffer != 0) {
        Device().Cache().ForgetRenderbuffer(renderbuffer);
        glDeleteRenderbuffers(1, &renderbuffer);
    }
    if (colourTexture != 0) {
        Device().Cache().ForgetTexture(colourTexture);
        glDeleteTextures(1, &colourTexture);
    }
    renderbuffer = 0;
    colourTexture = 0;
}

void CGLSurface::AttachTo(GLenum attachment) const {
    if (texture != nullptr)
        glFramebufferTexture2D(GL_DRAW_FRAMEBUFFER, attachment, GL_TEXTURE_2D, texture->Name(), 0);
    else if (colourTexture != 0)
        glFramebufferTexture2D(GL_DRAW_FRAMEBUFFER, attachment, GL_TEXTURE_2D, colourTexture, 0);
    else
        glFramebufferRenderbuffer(GL_DRAW_FRAMEBUFFER, attachment, GL_RENDERBUFFER, renderbuffer);
}

void CGLSurface::InitialiseDepth() const {
    CGLStateCache& cache = Device().Cache();
    GLuint framebuffer = 0;
    glGenFramebuffers(1, &framebuffer);
    cache.BindDrawFramebuffer(framebuffer, true);
    AttachTo(GL_DEPTH_ATTACHMENT);
    glDrawBuffer(GL_NONE);  // depth alone is complete only without a colour buffer to draw
    cache.PrepareClear(GLRect{0, 0, static_cast<int>(Width()), static_cast<int>(Height())});
    glClearDepth(1.0);
    glClear(GL_DEPTH_BUFFER_BIT);
    cache.BindDrawFramebuffer(0, true);
    cache.ForgetFramebuffer(framebuffer);
    glDeleteFramebuffers(1, &framebuffer);
    CheckGLError("initialising a depth buffer");
}
