// What the tools share to draw the program's scene offscreen: the SDL
// platform behind the Win32 calls, and a view made of a hidden popup window
// whose client area is exactly the configured size, a clock and an input the
// tool sets, and the graphics context on the OpenGL backend. The display
// must outlive every view.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "CPresetClock.h"
#include "CPresetInput.h"
#include "gfx/CDXContext.h"
#include "platform/Win32.h"
#include "platform/d3d9/d3d9.h"
#include "platform/sdl/CSdlGLContextProvider.h"
#include "platform/sdl/CSdlPlatform.h"

class CToolDisplay {
public:
    CToolDisplay();
    CToolDisplay(const CToolDisplay&) = delete;
    CToolDisplay& operator=(const CToolDisplay&) = delete;

    // False without an X display; nothing can be drawn then.
    bool Available() const { return services.has_value(); }

private:
    CSdlPlatform platform;
    std::optional<CWin32ServicesScope> services;
};

class COffscreenView {
public:
    COffscreenView() = default;
    ~COffscreenView();
    COffscreenView(const COffscreenView&) = delete;
    COffscreenView& operator=(const COffscreenView&) = delete;

    // Makes the hidden window (its class named `name`) and the context;
    // false with `error` set when either cannot be made.
    bool Open(const char* name, int width, int height, std::string* error);

    // Copies the back buffer, top row first, as 0xAARRGGBB pixels; false
    // when it cannot be read.
    bool ReadBackBuffer(std::vector<std::uint32_t>* pixels, UINT* width, UINT* height);

    CDXContext& Context() { return context; }
    IDirect3DDevice9* Device() { return context.device; }
    CPresetClock clock;
    CPresetInput input;

private:
    HWND window = nullptr;
    std::optional<CWin32ServicesScope> presetServices;
    CSdlGLContextProvider provider;
    std::optional<CDirect3DFactoryScope> direct3d;
    CDXContext context;
};
