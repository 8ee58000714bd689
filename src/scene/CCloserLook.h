// The closer look's picture: one shape drawn as its cell draws it (lit,
// with its glow, see ShapePasses.h) through render targets of the largest
// square the client area holds, composited centred into the back buffer on
// black. The light is the scene's; the caller gives the turn and the zoom.
#pragma once

#include "gfx/CDX2DPolygon.h"
#include "gfx/CDXRenderTexture.h"
#include "platform/d3d9/d3dx9.h"
#include "shape/CSuperShape.h"

class CDXContext;

class CCloserLook {
public:
    // Squares larger than this have their glow made at half their size.
    static constexpr UINT kFullGlowLimit = 768;

    CCloserLook() = default;
    CCloserLook(const CCloserLook&) = delete;
    CCloserLook& operator=(const CCloserLook&) = delete;

    // Places the square in a client area of the given size, making its
    // targets when the square's side changes (and at the first call).
    // 0 on success, 1 when the targets could not be made.
    int Fit(CDXContext* ctx, int clientWidth, int clientHeight);

    // Draws `shape` turned by `world` and magnified `zoom` times: into the
    // square's targets, then over the whole back buffer (black around the
    // square). Sets the projection, view and world transforms.
    void Render(CSuperShape& shape, const D3DXMATRIX& world, float zoom);

    // The square in client pixels, and the targets (for reading back).
    UINT Side() const { return side; }
    LONG Left() const { return left; }
    LONG Top() const { return top; }
    CDXRenderTexture& Picture() { return picture; }
    CDXRenderTexture& Glow() { return glow[0]; }

private:
    CDXContext* context = nullptr;  // not owned
    CDX2DPolygon quad;
    CDXRenderTexture picture;
    CDXRenderTexture glow[2];
    UINT side = 0;
    UINT glowSide = 0;  // the glow targets' side
    LONG left = 0;
    LONG top = 0;
    D3DXMATRIX projection{};
    D3DXMATRIX view{};
};
