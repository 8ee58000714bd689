// Win32 message boxes on SDL2: the error box and the Yes/No question. When
// no box can be shown (no display) the text goes to standard error instead.
#pragma once

#include "platform/Win32.h"

class CSdlWindowSystem;

class CSdlDialogs : public IDialogs {
public:
    explicit CSdlDialogs(CSdlWindowSystem& windows) : windows(windows) {}

    int MessageBoxA(HWND owner, const char* text, const char* caption, UINT type) override;

    // The Win32 answer for the SDL button id a box returned (-1: closed
    // without an answer), and for a box that could not be shown at all.
    static int AnswerFromButton(int buttonId, UINT type);
    static int AnswerWithoutBox(UINT type);

private:
    CSdlWindowSystem& windows;
};
