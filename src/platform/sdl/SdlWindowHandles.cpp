#include "platform/sdl/SdlWindowHandles.h"

#include <cstdint>

HWND SdlWindowToHandle(SDL_Window* window) {
    if (window == nullptr) return nullptr;
    const Uint32 id = SDL_GetWindowID(window);
    return reinterpret_cast<HWND>(static_cast<std::uintptr_t>(id));
}

SDL_Window* SdlWindowFromHandle(HWND hwnd) {
    const auto id = reinterpret_cast<std::uintptr_t>(hwnd);
    if (id == 0 || id > 0xFFFFFFFFu) return nullptr;
    return SDL_GetWindowFromID(static_cast<Uint32>(id));
}
