// The rates indicator and the help panel, drawn as screen quads and text in
// back-buffer pixels after the grid.
#include "scene/CSceneOverlay.h"

#include <algorithm>
#include <string>

#include "gfx/CDXContext.h"
#include "platform/Win32.h"

namespace {

constexpr int kTextScale = 2;                        // font units of 2 x 2 pixels
constexpr int kLineHeight = 12 * kTextScale;         // stb_easy_font's line spacing
constexpr int kMargin = 8;                           // from the window's edges
constexpr int kPadding = 6;                          // around text on its backdrop
constexpr int kColumnGap = 24;                       // between keys and their meaning
constexpr D3DCOLOR kWindowBlack = 0xFF000000u;       // the window's background
constexpr D3DCOLOR kBackdrop = 0xFF000000u;          // the indicator's, over a shape
constexpr D3DCOLOR kPanel = 0xFF1C1C1Cu;
constexpr D3DCOLOR kPanelEdge = 0xFF5A5A5Au;
constexpr D3DCOLOR kTextColor = 0xFFFFFFFFu;
constexpr D3DCOLOR kKeyColor = 0xFF8CC8FFu;

struct HelpLine {
    const char* keys;
    const char* meaning;
};
const HelpLine kHelp[] = {
    {"Left click", "breed a new generation from the cell"},
    {"Backspace", "back one generation (--seed or --journal)"},
    {"Up / Down", "mutation rate 5 points up / down"},
    {"Right / Left", "re-seed rate 5 points up / down"},
    {"L", "lock or unlock the cell under the pointer"},
    {"Right click / Space", "closer look at the cell; again: back"},
    {"Drag / wheel / R", "closer look: turn, zoom, put back"},
    {"S", "save the shape as STL and PNG"},
    {"F1 or ?", "show or hide this help"},
    {"Escape", "quit; in the closer look: back"},
};
constexpr const char* kHelpTitle = "Keys and mouse";
constexpr const char* kHelpFooter = "Any key or click closes this help.";

}  // namespace

void CSceneOverlay::SetContext(CDXContext* ctx) {
    context = ctx;
    quad.SetContext(ctx);
    text.SetContext(ctx);
}

void CSceneOverlay::RateKeyDown(int virtualKey) {
    indicatorTicks = kIndicatorTicks;
    if (virtualKey >= VK_LEFT && virtualKey <= VK_DOWN) rateKeysHeld |= 1u << (virtualKey - VK_LEFT);
}

void CSceneOverlay::KeyUp(int virtualKey) {
    if (virtualKey >= VK_LEFT && virtualKey <= VK_DOWN) {
        rateKeysHeld &= ~(1u << (virtualKey - VK_LEFT));
    }
}

void CSceneOverlay::Tick() {
    if (indicatorTicks > 0 && rateKeysHeld == 0) --indicatorTicks;
}

void CSceneOverlay::ClearBehind() {
    IDirect3DDevice9* device = context != nullptr ? context->device : nullptr;
    if (device == nullptr || covered.empty()) return;
    device->Clear(static_cast<DWORD>(covered.size()), covered.data(), D3DCLEAR_TARGET,
                  kWindowBlack, 1.0f, 0);
}

void CSceneOverlay::Draw(int width, int height, const BreedingRates& rates,
                         long long generation) {
    covered.clear();
    IDirect3DDevice9* device = context != nullptr ? context->device : nullptr;
    if (device == nullptr || (!IndicatorShown() && !helpShown)) return;
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    if (IndicatorShown()) DrawIndicator(height, rates, generation);
    if (helpShown) DrawHelp(width, height);
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_CCW);
}

void CSceneOverlay::DrawIndicator(int height, const BreedingRates& rates, long long generation) {
    std::string line = "mutation " + std::to_string(rates.mutationRate) + " %   re-seed " +
                       std::to_string(rates.reseedRate) + " %";
    if (generation >= 0) line += "   generation " + std::to_string(generation);
    // On a black backdrop, so that it stays readable over a shape.
    const int boxWidth = CDXText::Width(line, kTextScale) + 2 * kPadding;
    const int boxHeight = kLineHeight + 2 * kPadding;
    const int boxTop = height - kMargin - boxHeight;
    quad.DrawRect(static_cast<float>(kMargin), static_cast<float>(boxTop),
                  static_cast<float>(boxWidth), static_cast<float>(boxHeight), kBackdrop);
    covered.push_back({kMargin, boxTop, kMargin + boxWidth, boxTop + boxHeight});
    text.Draw(kMargin + kPadding, boxTop + kPadding + kTextScale, line, kTextScale, kTextColor);
}

void CSceneOverlay::DrawHelp(int width, int height) {
    // Two columns, each one text of a line per key.
    std::string keys;
    std::string meanings;
    for (const HelpLine& line : kHelp) {
        keys += std::string(line.keys) + "\n";
        meanings += std::string(line.meaning) + "\n";
    }
    const int keysWidth = CDXText::Width(keys, kTextScale);
    const int meaningsWidth = std::max(CDXText::Width(meanings, kTextScale),
                                       CDXText::Width(kHelpFooter, kTextScale) - keysWidth -
                                           kColumnGap);
    // The title, a blank line, the keys, a blank line, the footer.
    const int lines = static_cast<int>(std::size(kHelp)) + 4;
    const int panelWidth = keysWidth + kColumnGap + meaningsWidth + 4 * kPadding;
    const int panelHeight = lines * kLineHeight + 4 * kPadding;
    const int left = (width - panelWidth) / 2;
    const int top = (height - panelHeight) / 2;
    quad.DrawRect(static_cast<float>(left), static_cast<float>(top),
                  static_cast<float>(panelWidth), static_cast<float>(panelHeight), kPanelEdge);
    covered.push_back({left, top, left + panelWidth, top + panelHeight});
    quad.DrawRect(static_cast<float>(left + 2), static_cast<float>(top + 2),
                  static_cast<float>(panelWidth - 4), static_cast<float>(panelHeight - 4), kPanel);

    const int x = left + 2 * kPadding;
    const int y = top + 2 * kPadding + kTextScale;
    text.Draw(x, y, kHelpTitle, kTextScale, kTextColor);
    text.Draw(x, y + 2 * kLineHeight, keys, kTextScale, kKeyColor);
    text.Draw(x + keysWidth + kColumnGap, y + 2 * kLineHeight, meanings, kTextScale, kTextColor);
    text.Draw(x, y + (lines - 1) * kLineHeight, kHelpFooter, kTextScale, kTextColor);
}
