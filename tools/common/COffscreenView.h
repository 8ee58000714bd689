// What the tools share to draw the program's scene offscreen: a view made of
// a hidden popup window whose client area is exactly the configured size, a
// clock and an input the tool sets, and the graphics context. On Linux the
// SDL platform stands behind the Win32 calls and the context is the OpenGL
// backend's; the display must outlive every view. On Windows the context is
// the device the program itself makes on the system's Direct3D 9
// (tools/common/win32), and the clock and input take the scene's imports of
// timeGetTime, GetCursorPos and GetKeyState.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "gfx/CDXContext.h"
#include "platform/Win32.h"
#include "platform/d3d9/d3d9.h"
#ifdef _WIN32
#include "win32/CPresetClock.h"
#include "win32/CPresetInput.h"
#else
#include "CPresetClock.h"
#include "CPresetInput.h"
#include "platform/sdl/CSdlGLContextProvider.h"
#include "platform/sdl/CSdlPlatform.h"
#endif

#ifdef _WIN32
// Windows always has a display to draw on.
class CToolDisplay {
public:
    bool Available() const { return true; }
};
#else
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
#endif

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
    // when it cannot be read (or, on Windows, is not 32 bits a pixel).
    bool ReadBackBuffer(std::vector<std::uint32_t>* pixels, UINT* width, UINT* height);

    CDXContext& Context() { return context; }
    IDirect3DDevice9* Device() { return context.device; }
    CPresetClock clock;
    CPresetInput input;

private:
    HWND window = nullptr;
#ifndef _WIN32
    std::optional<CWin32ServicesScope> presetServices;
    CSdlGLContextProvider provider;
    std::optional<CDirect3DFactoryScope> direct3d;
#endif
    CDXContext context;
};
