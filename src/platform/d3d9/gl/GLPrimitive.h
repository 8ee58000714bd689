// Small translations shared by the GL backend's draw code.
#pragma once

#include <epoxy/gl.h>

#include <cstddef>
#include <cstdint>

#include "platform/d3d9/d3d9.h"

inline GLenum GLPrimitiveMode(D3DPRIMITIVETYPE type) {
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

// A byte offset into the bound buffer, as GL's pointer arguments take it.
inline const void* GLBufferOffset(std::size_t offset) {
    return reinterpret_cast<const void*>(static_cast<std::uintptr_t>(offset));
}
