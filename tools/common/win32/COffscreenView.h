// The Windows twin of tools/common/COffscreenView.h: the scene drawn by the
// system's Direct3D 9 in a hidden popup window whose client area is exactly
// the configured size, with the device the program itself makes
// (CDXContext), and a clock and an input the tool sets (CPresetClock.h,
// CPresetInput.h). The back buffer is read back through a system-memory
// surface.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "CPresetClock.h"
#include "CPresetInput.h"
#include "gfx/CDXContext.h"
#include "platform/Win32.h"
#include "platform/d3d9/d3d9.h"

// Windows always has a display to draw on.
class CToolDisplay {
public:
    bool Available() const { return true; }
};

class COffscreenView {
public:
    COffscreenView();
    ~COffscreenView();
    COffscreenView(const COffscreenView&) = delete;
    COffscreenView& operator=(const COffscreenView&) = delete;

    // Makes the hidden window (its class named `name`) and the context;
    // false with `error` set when either cannot be made.
    bool Open(const char* name, int width, int height, std::string* error);

    // Copies the back buffer, top row first, as 0xAARRGGBB pixels; false
    // when it cannot be read or is not 32 bits a pixel.
    bool ReadBackBuffer(std::vector<std::uint32_t>* pixels, UINT* width, UINT* height);

    CDXContext& Context() { return context; }
    IDirect3DDevice9* Device() { return context.device; }
    CPresetClock clock;
    CPresetInput input;

private:
    HWND window = nullptr;
    CDXContext context;
};
