// The application window record and the main loop.
#pragma once

#include "platform/Win32.h"

class CAppWindow {
public:
    // Registers the window class and creates and shows the window; returns
    // the handle, or null on failure.
    HWND Create(HINSTANCE instance, int outerWidth, int outerHeight);
    // The main loop; returns when the program is to end.
    void Run();

    HWND hwnd = nullptr;
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

// The window procedure of the application's window class.
LRESULT WndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

// The program's entry: configuration, seeding, window, main loop; returns 0.
int WinMain(HINSTANCE instance, HINSTANCE previous, char* commandLine, int showCommand);
