#include "platform/sdl/CSdlInput.h"

#include <SDL.h>

#include "platform/sdl/CSdlWindowSystem.h"

namespace {
// What Win32 returns for a key that is down: the high bit of the short, which
// also has bit 0x80 set.
constexpr short kDown = static_cast<short>(0xFF80);
}  // namespace

short CSdlInput::GetKeyState(int virtualKey) {
    switch (virtualKey) {
        case VK_ESCAPE: {
            const Uint8* keys = SDL_GetKeyboardState(nullptr);
            const bool now = keys != nullptr && keys[SDL_SCANCODE_ESCAPE] != 0;
            return now || windows.KeyDownByMessages(VK_ESCAPE) ? kDown : 0;
        }
        case VK_LBUTTON: {
            const bool now = (SDL_GetMouseState(nullptr, nullptr) & SDL_BUTTON_LMASK) != 0;
            return now || windows.KeyDownByMessages(VK_LBUTTON) ? kDown : 0;
        }
        default:
            return 0;
    }
}

BOOL CSdlInput::GetCursorPos(POINT* point) {
    if (point == nullptr) return FALSE;
    if (windows.TrackedCursor(point)) return TRUE;
    int x = 0;
    int y = 0;
    SDL_GetGlobalMouseState(&x, &y);
    point->x = x;
    point->y = y;
    return TRUE;
}
