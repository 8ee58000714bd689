// What the OpenGL backend of the Direct3D stand-in needs from the window
// system: a GL 3.3 core context on a window, buffer swaps and the desktop
// mode. The SDL2 platform implements it; the backend itself never calls SDL.
#pragma once

#include <memory>

#include "platform/WinTypes.h"

class IGLContext {
public:
    virtual ~IGLContext() = default;
    virtual bool MakeCurrent() = 0;
    virtual void SwapWindow() = 0;
    // Size of the window's drawable in pixels.
    virtual void GetDrawableSize(int* width, int* height) = 0;
    // 1 waits for the vertical retrace, 0 does not; false when refused.
    virtual bool SetSwapInterval(int interval) = 0;
};

struct GLDesktopMode {
    int width = 0;
    int height = 0;
    int refreshRate = 0;
};

class IGLContextProvider {
public:
    virtual ~IGLContextProvider() = default;
    // A current GL 3.3 core context drawing into the window, or null when the
    // window is unknown or the context cannot be made.
    virtual std::unique_ptr<IGLContext> CreateContext(HWND hwnd) = 0;
    virtual bool GetDesktopMode(GLDesktopMode* mode) = 0;
};
