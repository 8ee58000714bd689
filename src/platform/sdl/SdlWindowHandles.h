// Window handles of the SDL2 platform: an HWND carries the SDL window ID, so
// a stale or foreign handle looks up to null instead of a dangling pointer.
#pragma once

#include <SDL.h>

#include "platform/WinTypes.h"

HWND SdlWindowToHandle(SDL_Window* window);
// The SDL window of a handle, or null when there is none.
SDL_Window* SdlWindowFromHandle(HWND hwnd);
