// Polled input set by a tool: the left button and a pointer given in client
// pixels of one window. GetCursorPos reports it in screen coordinates, so
// that the window system's ScreenToClient gives the client pixels back.
#pragma once

#include "platform/Win32.h"

class CPresetInput : public IInput {
public:
    CPresetInput() = default;
    explicit CPresetInput(HWND window) : window(window) {}

    short GetKeyState(int virtualKey) override;
    BOOL GetCursorPos(POINT* point) override;

    // Without a pointer it reports a point far outside the window.
    bool hasPointer = false;
    POINT client{0, 0};
    bool buttonHeld = false;

    HWND window = nullptr;  // whose client area `client` is in
};
