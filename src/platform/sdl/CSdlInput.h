// Polled input on SDL2. The Escape key is down while SDL's keyboard state
// says so (fresh because the message loop pumps SDL's events every pass) or
// while the key messages read from the queue say so, as with Win32's
// GetKeyState: a press released again before the next pump still counts.
// The left button and the cursor come from the global mouse state, in
// screen coordinates.
#pragma once

#include "platform/Win32.h"

class CSdlWindowSystem;

class CSdlInput : public IInput {
public:
    explicit CSdlInput(const CSdlWindowSystem& windows) : windows(windows) {}

    short GetKeyState(int virtualKey) override;
    BOOL GetCursorPos(POINT* point) override;

private:
    const CSdlWindowSystem& windows;
};
