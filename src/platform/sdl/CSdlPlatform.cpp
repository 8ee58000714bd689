#include "platform/sdl/CSdlPlatform.h"

#include <SDL.h>

#include <cstdio>

#include "platform/sdl/SdlDriverPinning.h"

CSdlPlatform::SdlSession::SdlSession() {
    // Closing the window is a request to the window procedure, not a quit:
    // SDL must not add a quit event of its own when the last window closes.
    SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
    // The timer works without a display; the video subsystem may not.
    SDL_Init(SDL_INIT_TIMER);
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
        std::fprintf(stderr, "tessary: cannot open a display: %s\n", SDL_GetError());
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
