// The GL storage behind Direct3D's 32-bit colour formats: a single-level
// 2D texture holding 8 bits a channel in the bytes' own B, G, R, A order.
#pragma once

#include <cstdint>

#include <epoxy/gl.h>

#include "platform/d3d9/d3d9.h"
#include "platform/d3d9/gl/CGLStateCache.h"

// Makes the texture (left bound on unit 0 through `cache`) and fills it with
// `texels`: BGRA bytes, rows top first, or with `fill` (0xAARRGGBB) when
// null. 0 when GL refuses.
GLuint CreateColourTexture(CGLStateCache& cache, UINT width, UINT height, const void* texels,
                           std::uint32_t fill = 0);
