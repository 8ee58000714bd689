// Screen text: lines of printable ASCII drawn as flat-coloured quads (the
// segments of stb_easy_font's glyphs), in pixels of the current render
// target. A glyph is 7 font units high and lines are 12 apart; a scale of 2
// makes each unit 2 x 2 pixels.
#pragma once

#include <string_view>
#include <vector>

#include "gfx/CDX2DPolygon.h"
#include "platform/d3d9/d3d9.h"

class CDXContext;

class CDXText {
public:
    CDXText() = default;
    CDXText(const CDXText&) = delete;
    CDXText& operator=(const CDXText&) = delete;

    void SetContext(CDXContext* ctx) { context = ctx; }

    // Width in pixels of the longest line of `text` (lines split at '\n') at
    // `scale`.
    static int Width(std::string_view text, int scale);

    // Draws `text` with its top-left corner at (x, y): one DrawPrimitiveUP of
    // a triangle list, blending and culling as the caller has set them. Sets
    // the vertex format, an empty stage 0 and Z writes off for the draw, and
    // leaves Z writes on behind it, as the quad drawer does. Characters
    // outside printable ASCII are drawn as '?'.
    HRESULT Draw(int x, int y, std::string_view text, int scale, D3DCOLOR color);

private:
    // The vertex stb_easy_font writes: a position, then a colour that is
    // not used (the caller's colour is).
    struct EasyFontVertex {
        float x, y, z;
        unsigned char color[4];
    };

    CDXContext* context = nullptr;  // not owned
    // Kept between draws, so that drawing the same text allocates nothing.
    std::vector<EasyFontVertex> layout;
    std::vector<ScreenVertex> triangles;
};
