// Small drawing helpers for GL tests: screen quads laid out as the
// program's quad drawer lays them out (four pre-transformed vertices in the
// order right-top, right-bottom, left-bottom, left-top, drawn as a fan) and
// managed textures filled from 0xAARRGGBB pixels.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/d3d9/d3d9.h"

struct GLTestQuad {
    float x = 0, y = 0, width = 0, height = 0;
    D3DCOLOR color = 0xFFFFFFFFu;
    IDirect3DTexture9* texture = nullptr;  // none: a flat quad (rhw 0, uv 0)
    float u = 0, v = 0, uSpan = 1, vSpan = 1;
};

// Sets the FVF and stage-0 texture, draws, and leaves stage 0 empty.
HRESULT DrawTestQuad(IDirect3DDevice9* device, const GLTestQuad& quad);

// A managed A8R8G8B8 texture holding `pixels` (row by row from the top);
// null on failure.
IDirect3DTexture9* MakeTestTexture(IDirect3DDevice9* device, UINT width, UINT height,
                                   const std::vector<std::uint32_t>& pixels);
