#include "scene/CCloserLook.h"

#include <algorithm>

#include "gfx/CDXContext.h"
#include "scene/ShapePasses.h"

int CCloserLook::Fit(CDXContext* ctx, int clientWidth, int clientHeight) {
    const int square = std::max(1, std::min(clientWidth, clientHeight));
    // Centred; an odd margin leaves the extra pixel on the right or below.
    left = (std::max(clientWidth, 1) - square) / 2;
    top = (std::max(clientHeight, 1) - square) / 2;
    if (ctx == context && static_cast<UINT>(square) == side) return 0;
    context = ctx;
    quad.SetContext(ctx);
    side = static_cast<UINT>(square);
    // The glow is a blur, so a large square's is made at half its size and
    // stretched over it: its passes then cost a quarter, and a full-screen
    // look no more than the grid.
    glowSide = side > kFullGlowLimit ? (side + 1) / 2 : side;
    int failed = picture.Init(ctx, side, side);
    failed += glow[0].Init(ctx, glowSide, glowSide);
    failed += glow[1].Init(ctx, glowSide, glowSide);
    return failed != 0 ? 1 : 0;
}

void CCloserLook::Render(CSuperShape& shape, const D3DXMATRIX& world, float zoom) {
    IDirect3DDevice9* device = context != nullptr ? context->device : nullptr;
    if (device == nullptr) return;
    SetShapeCamera(device, zoom, &projection, &view);
    device->SetTransform(D3DTS_WORLD, &world);
    const auto size = static_cast<float>(side);
    DrawShapePicture(device, shape, picture);
    DrawShapeGlow(quad, picture, glow[0], glow[1], static_cast<float>(glowSide));
    // The grid's pixels must not show around the square.
    device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000u, 1.0f, 0);
    CompositeShape(device, quad, picture.GetTexture(), glow[0].GetTexture(),
                   static_cast<float>(left), static_cast<float>(top), size);
    EndShapePasses(device);
}
