// The program's one icon resource, "ICON1": the 64-pixel desktop icon
// (data/icons/hicolor/64x64/apps/tessary.png), built into the program as PNG
// bytes, so the window shows it however and wherever the program is run.
#pragma once

#include <SDL.h>

#include <memory>

struct SdlSurfaceDeleter {
    void operator()(SDL_Surface* surface) const { SDL_FreeSurface(surface); }
};
using SdlSurfacePtr = std::unique_ptr<SDL_Surface, SdlSurfaceDeleter>;

// The name the window class asks for it by.
inline constexpr char kIconResourceName[] = "ICON1";

// The icon as a surface of RGBA pixels; null if it cannot be decoded.
SdlSurfacePtr LoadSdlIconResource();
