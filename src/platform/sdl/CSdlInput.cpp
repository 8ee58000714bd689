#include "platform/sdl/CSdlInput.h"

#include <SDL.h>

#include "platform/sdl/CSdlWindowSystem.h"

namespace {
// What Win32 returns for a key that is down: the high bit of the short, which
// also has bit 0x80 set.
constexpr short kDown = static_cast<short>(0xFF80);

// Whether SDL's keyboard state, as of the last pump, has the key down.
bool KeyDown(SDL_Scancode key) {
    const Uint8* keys = SDL_GetKeyboardState(nullptr);
    return keys != nullptr && keys[key] != 0;
}
}  // namespace

short CSdlInput::GetKeyState(int virtualKey) {
    bool now = false;
    switch (virtualKey) {
        case VK_ESCAPE:
            now = KeyDown(SDL_SCANCODE_ESCAPE);
            break;
        case VK_BACK:
            now = KeyDown(SDL_SCANCODE_BACKSPACE);
            break;
        case VK_SPACE:
            now = KeyDown(SDL_SCANCODE_SPACE);
            break;
        case 'R':
            now = KeyDown(SDL_SCANCODE_R);
            break;
        case 'S':
            now = KeyDown(SDL_SCANCODE_S);
            break;
        case VK_LBUTTON:
            now = (SDL_GetMouseState(nullptr, nullptr) & SDL_BUTTON_LMASK) != 0;
            break;
        case VK_RBUTTON:
            now = (SDL_GetMouseState(nullptr, nullptr) & SDL_BUTTON_RMASK) != 0;
            break;
        default:
            return 0;
    }
    return now || windows.KeyDownByMessages(virtualKey) ? kDown : 0;
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
