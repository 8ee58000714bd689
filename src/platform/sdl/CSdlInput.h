// Polled input on SDL2. A key or the left button is down while SDL's state
// says so (fresh because the message loop pumps SDL's events every pass) or
// while the messages read from the queue say so, as with Win32's
// GetKeyState: a press released again before the next pump still counts.
//
// The cursor is where the window's own pointer events last put it, and
// outside the window once it has left (CSdlWindowSystem::TrackedCursor).
// SDL's global mouse state is only a fallback before the first such event: on
// X11 it is a cache that SDL refreshes on raw input events, which synthetic
// input (and some servers) never send, so it can stay at its first value.
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
