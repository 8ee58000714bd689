// One reusable GL buffer that vertices from user memory and joined indices
// stream through, one after another; when it is full its storage is
// orphaned, so a draw still reading the old storage never waits for the new
// data.
#pragma once

#include <epoxy/gl.h>

#include <cstddef>

#include "platform/d3d9/gl/CGLStateCache.h"

class CGLStreamBuffer {
public:
    // The context must be current for all three.
    void Create(CGLStateCache& cache);
    void Delete(CGLStateCache& cache);
    // Copies `bytes` in at a multiple of `alignment`; returns the offset.
    std::size_t Write(CGLStateCache& cache, const void* data, std::size_t bytes,
                      std::size_t alignment);

    GLuint Name() const { return name; }

private:
    GLuint name = 0;
    std::size_t capacity = 0;
    std::size_t position = 0;
};
