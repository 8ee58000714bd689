// The program's usual present parameters for a test device of the given
// size: X8R8G8B8, an automatic D16 depth buffer, discard, windowed.
#pragma once

#include "platform/d3d9/d3d9.h"

inline D3DPRESENT_PARAMETERS TestPresentParams(UINT width, UINT height, UINT interval) {
    D3DPRESENT_PARAMETERS p{};
    p.BackBufferWidth = width;
    p.BackBufferHeight = height;
    p.BackBufferFormat = D3DFMT_X8R8G8B8;
    p.SwapEffect = D3DSWAPEFFECT_DISCARD;
    p.Windowed = TRUE;
    p.EnableAutoDepthStencil = TRUE;
    p.AutoDepthStencilFormat = D3DFMT_D16;
    p.PresentationInterval = interval;
    return p;
}
