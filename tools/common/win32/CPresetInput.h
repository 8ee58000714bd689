// The pointer and buttons a tool sets for the scene on Windows. The scene
// calls the system's GetCursorPos and GetKeyState through their import
// pointers (__imp_GetCursorPos, __imp_GetKeyState); CPresetInput.cpp
// defines those pointers in the tool, so the linker takes them instead of
// the import library's and the scene reads this input, unchanged. The
// pointer is given in client pixels of `window`: GetCursorPos reports it in
// screen coordinates, and the system's ScreenToClient maps it back.
#pragma once

#include <windows.h>

class CPresetInput {
public:
    // Without a pointer it reports a point far outside the window.
    bool hasPointer = false;
    POINT client{0, 0};
    bool buttonHeld = false;

    HWND window = nullptr;  // whose client area `client` is in

    short GetKeyState(int virtualKey) const;
    BOOL GetCursorPos(POINT* point) const;

    // The input the redirected calls read; null reads nothing held and no
    // pointer.
    static CPresetInput* installed;
};
