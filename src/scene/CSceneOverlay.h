// What the main scene shows over its grid: the rates indicator near the
// bottom-left corner (for two seconds after a rate key, and while one is
// held) and the help, a panel listing the keys and what the mouse does.
// Neither draws anything while it is not shown.
#pragma once

#include <vector>

#include "config/BreedingRates.h"
#include "gfx/CDX2DPolygon.h"
#include "gfx/CDXText.h"

class CDXContext;

// Update ticks the indicator stays after a rate key: two seconds of 16 ms.
constexpr int kIndicatorTicks = 125;

class CSceneOverlay {
public:
    void SetContext(CDXContext* ctx);

    // A rate key went down (or repeated): the indicator shows, and stays
    // while the key is held and for kIndicatorTicks after.
    void RateKeyDown(int virtualKey);
    void KeyUp(int virtualKey);
    // One update step: the indicator's time runs while no rate key is held.
    void Tick();
    bool IndicatorShown() const { return indicatorTicks > 0 || rateKeysHeld != 0; }

    void ShowHelp() { helpShown = true; }
    void HideHelp() { helpShown = false; }
    bool HelpShown() const { return helpShown; }

    // Clears what the last frame's overlay covered: the grid does not cover
    // the whole window, and what the overlay drew outside it would stay
    // there. Called before the grid is drawn; nothing to do in a frame after
    // one without the overlay.
    void ClearBehind();
    // Draws what is shown over a client area of `width` x `height`: the
    // rates, and with `generation` 0 or more, the generation too. Blending
    // must be off; culling is turned off for the overlay and left on
    // counter-clockwise, as the grid leaves it.
    void Draw(int width, int height, const BreedingRates& rates, long long generation);

private:
    void DrawIndicator(int height, const BreedingRates& rates, long long generation);
    void DrawHelp(int width, int height);

    CDX2DPolygon quad;
    CDXText text;
    CDXContext* context = nullptr;  // not owned
    int indicatorTicks = 0;
    unsigned rateKeysHeld = 0;  // bit (key - VK_LEFT) for each arrow key down
    bool helpShown = false;
    std::vector<D3DRECT> covered;  // by the last frame's backdrop and panel
};
