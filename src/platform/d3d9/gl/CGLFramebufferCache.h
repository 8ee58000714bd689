// The device's GL framebuffers, one per pair of render target and depth
// surface it has drawn into, made on first use and kept until one of the
// two loses its storage.
#pragma once

#include <epoxy/gl.h>

#include <vector>

#include "platform/d3d9/gl/CGLStateCache.h"

class CGLSurface;

class CGLFramebufferCache {
public:
    // Binds the framebuffer of `colour` and `depth` (null: none) for
    // drawing; false, binding nothing, when GL cannot draw into the pair
    // (reported once).
    bool Bind(const CGLSurface& colour, const CGLSurface* depth, CGLStateCache& cache);
    // Binds the framebuffer of `colour` alone for reading; false, binding
    // nothing, when GL cannot attach it.
    bool BindRead(const CGLSurface& colour, CGLStateCache& cache);
    // Deletes every framebuffer that uses `surface`.
    void Forget(const CGLSurface* surface, CGLStateCache& cache);
    // GL state was reset: the next Bind looks the pair up again.
    void ForgetLast() { last = nullptr; }
    void DeleteAll(CGLStateCache& cache);

private:
    struct Framebuffer {
        const CGLSurface* colour = nullptr;
        const CGLSurface* depth = nullptr;
        GLuint name = 0;
        bool complete = false;
    };

    // The pair's framebuffer, made (and left bound for drawing) on first use.
    const Framebuffer& Find(const CGLSurface& colour, const CGLSurface* depth,
                            CGLStateCache& cache);

    std::vector<Framebuffer> framebuffers;
    const Framebuffer* last = nullptr;
};
