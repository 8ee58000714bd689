// Polled input on SDL2: the Escape key from the keyboard state (fresh because
// the message loop pumps SDL's events every pass), the left button and the
// cursor from the global mouse state, in screen coordinates.
#pragma once

#include "platform/Win32.h"

class CSdlInput : public IInput {
public:
    short GetKeyState(int virtualKey) override;
    BOOL GetCursorPos(POINT* point) override;
};
