// Screen text from stb_easy_font: it lays a string out as quads, which are
// sent as pairs of pre-transformed triangles in one DrawPrimitiveUP.
#include "gfx/CDXText.h"

#include <stb/stb_easy_font.h>

#include <string>

#include "gfx/CDXContext.h"

namespace {

// The text as stb_easy_font may read it: its glyph table covers ' '..'~', and
// it wants a terminated, writable string.
std::string Printable(std::string_view text) {
    std::string printable(text);
    for (char& c : printable) {
        if (c != '\n' && (c < 0x20 || c > 0x7E)) c = '?';
    }
    return printable;
}

}  // namespace

int CDXText::Width(std::string_view text, int scale) {
    std::string printable = Printable(text);
    return stb_easy_font_width(printable.data()) * scale;
}

HRESULT CDXText::Draw(int x, int y, std::string_view text, int scale, D3DCOLOR color) {
    IDirect3DDevice9* device = context != nullptr ? context->device : nullptr;
    if (device == nullptr) return E_FAIL;
    std::string printable = Printable(text);
    static_assert(sizeof(EasyFontVertex) == 16, "stb_easy_font writes 16-byte vertices");

    // The layout stops at the end of its buffer: a full buffer may have cut
    // the text short, so it is laid out again in one twice the size.
    if (layout.empty()) layout.resize(4 * 1024);
    int count = 0;
    for (;;) {
        const int bytes = static_cast<int>(layout.size() * sizeof(EasyFontVertex));
        count = stb_easy_font_print(0.0f, 0.0f, printable.data(), nullptr, layout.data(), bytes);
        if (static_cast<std::size_t>(count) * 4 < layout.size()) break;
        layout.resize(layout.size() * 2);
    }
    if (count == 0) return D3D_OK;

    // Font units are whole numbers, so with a whole origin and scale every
    // edge lies between pixels and each unit covers exactly scale x scale.
    triangles.clear();
    const auto s = static_cast<float>(scale);
    const auto left = static_cast<float>(x);
    const auto top = static_cast<float>(y);
    for (int q = 0; q < count; ++q) {
        const EasyFontVertex* corner = &layout[static_cast<std::size_t>(4 * q)];
        for (const int i : {0, 1, 2, 0, 2, 3}) {
            triangles.push_back(ScreenVertex{left + corner[i].x * s, top + corner[i].y * s, 0.0f,
                                             1.0f, color, 0.0f, 0.0f});
        }
    }
    device->SetRenderState(D3DRS_ZWRITEENABLE, FALSE);
    device->SetFVF(kScreenVertexFVF);
    device->SetTexture(0, nullptr);
    device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, static_cast<UINT>(2 * count), triangles.data(),
                            sizeof(ScreenVertex));
    return device->SetRenderState(D3DRS_ZWRITEENABLE, TRUE);
}
