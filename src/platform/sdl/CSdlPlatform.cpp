#include "platform/sdl/CSdlPlatform.h"

#include <SDL.h>

#include <cstdio>
#include <cstdlib>

#include "platform/sdl/SdlDriverPinning.h"

CSdlPlatform::SdlSession::SdlSession() {
    // Closing the window is a request to the window procedure, not a quit:
    // SDL must not add a quit event of its own when the last window closes.
    SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
    // Only drivers that show a window on a desktop: left to itself, SDL falls
    // back to an offscreen driver without a display, and the program would
    // run unseen with no way to answer or close it. SDL_VIDEODRIVER in the
    // environment still takes precedence.
    SDL_SetHint(SDL_HINT_VIDEODRIVER, "x11,wayland");
    // The timer works without a display; the video subsystem may not.
    SDL_Init(SDL_INIT_TIMER);
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
        if (std::getenv("DISPLAY") == nullptr && std::getenv("WAYLAND_DISPLAY") == nullptr) {
            std::fprintf(stderr, "tessary: cannot open a display: neither DISPLAY nor "
                                 "WAYLAND_DISPLAY is set\n");
        } else {
            std::fprintf(stderr, "tessary: cannot open a display: %s\n", SDL_GetError());
        }
        return;
    }
    video = true;
}

CSdlPlatform::SdlSession::~SdlSession() {
    PinGraphicsDriverModules();
    SDL_Quit();
}

CSdlPlatform::CSdlPlatform() = default;

CSdlPlatform::~CSdlPlatform() { windows.FreeNativeWindows(); }

Win32Services CSdlPlatform::Services() {
    Win32Services services;
    services.windows = &windows;
    services.dialogs = &dialogs;
    services.clock = &clock;
    services.input = &input;
    return services;
}
