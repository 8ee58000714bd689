#include "platform/d3d9/gl/CGLBackBuffer.h"

#include "platform/d3d9/gl/CGLDevice.h"
#include "platform/d3d9/gl/CGLSurface.h"
#include "platform/d3d9/gl/GLCheck.h"

CGLBackBuffer::CGLBackBuffer(CGLDevice& device)
    : device(device),
      cache(device.Cache()),
      colour(CGLSurface::MakeDeviceOwned(device, GLSurfaceKind::BackBuffer)),
      depth(CGLSurface::MakeDeviceOwned(device, GLSurfaceKind::AutoDepth)) {}

// The device's context is current: the device goes after its back buffer.
CGLBackBuffer::~CGLBackBuffer() { DeleteObjects(); }

bool CGLBackBuffer::Build(const D3DPRESENT_PARAMETERS& params, int sampleCount) {
    DeleteObjects();
    width = params.BackBufferWidth;
    height = params.BackBufferHeight;
    format = params.BackBufferFormat;
    samples = sampleCount;
    if (!colour->AllocateStorage(width, height, format, params.MultiSampleType, samples))
        return false;
    if (params.EnableAutoDepthStencil) {
        if (!depth->AllocateStorage(width, height, params.AutoDepthStencilFormat,
                                    params.MultiSampleType, samples))
            return false;
        depth->InitialiseDepth();
    } else {
        depth->FreeStorage();
    }

    glGenFramebuffers(1, &read);
    cache.BindDrawFramebuffer(read, true);
    colour->AttachTo(GL_COLOR_ATTACHMENT0);
    // The back buffer starts black; the program never clears it outside
    // the area it draws.
    cache.PrepareBlit();
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    if (samples > 0) {
        glGenRenderbuffers(1, &resolveColour);
        cache.BindRenderbuffer(resolveColour);
        glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, static_cast<GLsizei>(width),
                              static_cast<GLsizei>(height));
        cache.BindRenderbuffer(0);
        glGenFramebuffers(1, &resolveRead);
        cache.BindDrawFramebuffer(resolveRead, true);
        glFramebufferRenderbuffer(GL_DRAW_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER,
                                  resolveColour);
    }
    const bool complete = glCheckFramebufferStatus(GL_DRAW_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
    CheckGLError("building the back buffer");
    return complete;
}

void CGLBackBuffer::FreeDepth() { depth->FreeStorage(); }

void CGLBackBuffer::DeleteObjects() {
    for (GLuint* fb : {&read, &resolveRead}) {
        if (*fb != 0) {
            cache.ForgetFramebuffer(*fb);
            glDeleteFramebuffers(1, fb);
            *fb = 0;
        }
    }
    if (resolveColour != 0) {
        cache.ForgetRenderbuffer(resolveColour);
        glDeleteRenderbuffers(1, &resolveColour);
    }
    resolveColour = 0;
}

GLuint CGLBackBuffer::Resolve() {
    if (samples == 0) return read;
    const auto w = static_cast<GLint>(width);
    const auto h = static_cast<GLint>(height);
    cache.PrepareBlit();
    cache.BindReadFramebuffer(read);
    cache.BindDrawFramebuffer(resolveRead);
    glBlitFramebuffer(0, 0, w, h, 0, 0, w, h, GL_COLOR_BUFFER_BIT, GL_NEAREST);
    CheckGLError("glBlitFramebuffer (resolving the back buffer)");
    return resolveRead;
}

// The whole back buffer always goes to the whole client area of the
// device's window: the program passes no rectangles and no other window.
void CGLBackBuffer::Present(IGLContext& context) {
    const GLuint source = Resolve();
    const auto w = static_cast<GLint>(width);
    const auto h = static_cast<GLint>(height);
    int dw = 0;
    int dh = 0;
    context.GetDrawableSize(&dw, &dh);
    if (dw <= 0 || dh <= 0) {
        dw = w;
        dh = h;
    }
    // Direct3D row 0 is GL row 0 in the back buffer; the window wants it at
    // the top, so the copy runs upside down (and stretches, as Direct3D
    // does, when the window's size differs).
    cache.PrepareBlit();
    cache.BindReadFramebuffer(source);
    cache.BindDrawFramebuffer(0);
    glBlitFramebuffer(0, 0, w, h, 0, dh, dw, 0, GL_COLOR_BUFFER_BIT,
                      dw == w && dh == h ? GL_NEAREST : GL_LINEAR);
    CheckGLError("glBlitFramebuffer (present)");
    context.SwapWindow();
}

void CGLBackBuffer::Read(std::vector<std::uint32_t>* pixels) {
    pixels->assign(std::size_t{width} * height, 0);
    cache.BindReadFramebuffer(Resolve());
    glReadBuffer(GL_COLOR_ATTACHMENT0);
    // BGRA bytes in little-endian memory are 0xAARRGGBB words, and GL row 0
    // is Direct3D's top row.
    glReadPixels(0, 0, static_cast<GLsizei>(width), static_cast<GLsizei>(height), GL_BGRA,
                 GL_UNSIGNED_BYTE, pixels->data());
    CheckGLError("glReadPixels (back buffer)");
    if (format == D3DFMT_X8R8G8B8)
        for (auto& p : *pixels) p |= 0xFF000000u;
}
