#include "platform/d3d9/gl/CGLFramebufferCache.h"

#include <algorithm>

#include "platform/d3d9/gl/CGLSurface.h"
#include "platform/d3d9/gl/GLCheck.h"

bool CGLFramebufferCache::Bind(const CGLSurface& colour, const CGLSurface* depth,
                               CGLStateCache& cache) {
    const Framebuffer& found = Find(colour, depth, cache);
    last = &found;
    if (!found.complete) return false;
    cache.BindDrawFramebuffer(found.name);
    return true;
}

bool CGLFramebufferCache::BindRead(const CGLSurface& colour, CGLStateCache& cache) {
    const Framebuffer& found = Find(colour, nullptr, cache);
    if (!found.complete) return false;
    cache.BindReadFramebuffer(found.name);
    return true;
}

const CGLFramebufferCache::Framebuffer& CGLFramebufferCache::Find(const CGLSurface& colour,
                                                                  const CGLSurface* depth,
                                                                  CGLStateCache& cache) {
    const Framebuffer* found = nullptr;
    if (last != nullptr && last->colour == &colour && last->depth == depth) {
        found = last;
    } else {
        for (const Framebuffer& fb : framebuffers) {
            if (fb.colour == &colour && fb.depth == depth) {
                found = &fb;
                break;
            }
        }
    }
    if (found == nullptr) {
        Framebuffer fb;
        fb.colour = &colour;
        fb.depth = depth;
        glGenFramebuffers(1, &fb.name);
        cache.BindDrawFramebuffer(fb.name, true);
        colour.AttachTo(GL_COLOR_ATTACHMENT0);
        if (depth != nullptr) depth->AttachTo(GL_DEPTH_ATTACHMENT);
        fb.complete = glCheckFramebufferStatus(GL_DRAW_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
        CheckGLError("attaching a render target");
        if (!fb.complete)
            ReportGLProblem(
                "render target and depth surface do not fit together (size or multisampling); "
                "drawing into them is skipped");
        // Pointers into the vector go stale when it grows.
        last = nullptr;
        framebuffers.push_back(fb);
        found = &framebuffers.back();
    }
    return *found;
}

void CGLFramebufferCache::Forget(const CGLSurface* surface, CGLStateCache& cache) {
    const auto uses = [surface](const Framebuffer& fb) {
        return fb.colour == surface || fb.depth == surface;
    };
    for (const Framebuffer& fb : framebuffers) {
        if (!uses(fb)) continue;
        cache.ForgetFramebuffer(fb.name);
        glDeleteFramebuffers(1, &fb.name);
    }
    std::erase_if(framebuffers, uses);
    last = nullptr;
}

void CGLFramebufferCache::DeleteAll(CGLStateCache& cache) {
    for (const Framebuffer& fb : framebuffers) {
        cache.ForgetFramebuffer(fb.name);
        glDeleteFramebuffers(1, &fb.name);
    }
    framebuffers.clear();
    last = nullptr;
}
