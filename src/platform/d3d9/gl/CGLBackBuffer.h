// The device's back buffer: an offscreen colour surface of exactly the
// present parameters' size (a texture, or a renderbuffer when multisampled)
// with its automatic depth buffer, drawn with Direct3D row 0 at GL row 0
// like every other target, resolved when multisampled and flipped onto the
// window by Present.
#pragma once

#include <epoxy/gl.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/GLContext.h"
#include "platform/d3d9/d3d9.h"

class CGLDevice;
class CGLSurface;
class CGLStateCache;

class CGLBackBuffer {
public:
    explicit CGLBackBuffer(CGLDevice& device);
    ~CGLBackBuffer();
    CGLBackBuffer(const CGLBackBuffer&) = delete;
    CGLBackBuffer& operator=(const CGLBackBuffer&) = delete;

    // (Re)allocates colour and, if asked for, depth; false when GL refuses.
    // The new colour is black. The context must be current.
    bool Build(const D3DPRESENT_PARAMETERS& params, int samples);
    void FreeDepth();

    CGLSurface& Colour() { return *colour; }
    CGLSurface& Depth() { return *depth; }

    // Copies the picture, upside down and stretched to the drawable, onto
    // the window and swaps.
    void Present(IGLContext& context);
    // The picture as 0xAARRGGBB, top row first; alpha is 0xFF for X8R8G8B8.
    void Read(std::vector<std::uint32_t>* pixels);

private:
    // The framebuffer to read the single-sampled picture from.
    GLuint Resolve();
    void DeleteObjects();

    CGLDevice& device;
    CGLStateCache& cache;
    std::unique_ptr<CGLSurface> colour;
    std::unique_ptr<CGLSurface> depth;
    UINT width = 0;
    UINT height = 0;
    D3DFORMAT format = D3DFMT_X8R8G8B8;
    int samples = 0;
    GLuint read = 0;           // framebuffer reading the colour
    GLuint resolveColour = 0;  // single-sample copy of a multisampled colour
    GLuint resolveRead = 0;
};
