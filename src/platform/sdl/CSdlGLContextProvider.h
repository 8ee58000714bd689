// OpenGL contexts on SDL2 windows for the GL backend of the Direct3D
// stand-in, and a hidden GL window for tests and offscreen tools. Windows
// are named by their HWND (the SDL window ID), so no SDL type shows here.
#pragma once

#include <memory>

#include "platform/GLContext.h"
#include "platform/WinTypes.h"

// Makes GL 3.3 core contexts on windows created with SDL_WINDOW_OPENGL.
class CSdlGLContextProvider final : public IGLContextProvider {
public:
    std::unique_ptr<IGLContext> CreateContext(HWND hwnd) override;
    // The desktop mode of the first display.
    bool GetDesktopMode(GLDesktopMode* mode) override;
};

// A hidden SDL_WINDOW_OPENGL window of a given client size. Starts SDL's
// video subsystem if it is not running yet, and leaves it running.
class CSdlOffscreenWindow {
public:
    CSdlOffscreenWindow(int width, int height);
    ~CSdlOffscreenWindow();
    CSdlOffscreenWindow(const CSdlOffscreenWindow&) = delete;
    CSdlOffscreenWindow& operator=(const CSdlOffscreenWindow&) = delete;

    // Null when SDL video or the window could not be made.
    HWND Handle() const { return handle; }

private:
    HWND handle = nullptr;
};
