#include "platform/sdl/CSdlPlatform.h"

#include <SDL.h>

#include <cstdio>
#include <cstdlib>

#include "platform/sdl/CSdlClock.h"
#include "platform/sdl/CSdlDialogs.h"
#include "platform/sdl/CSdlInput.h"
#include "platform/sdl/CSdlWindowSystem.h"
#include "platform/sdl/SdlDriverPinning.h"

namespace {

// Initialises SDL on construction and shuts it down on destruction.
struct SdlSession {
    SdlSession();
    ~SdlSession();
    SdlSession(const SdlSession&) = delete;
    SdlSession& operator=(const SdlSession&) = delete;
    bool video = false;
};

SdlSession::SdlSession() {
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

SdlSession::~SdlSession() {
    PinGraphicsDriverModules();
    SDL_Quit();
}

}  // namespace

// SDL first, so that it outlives the services.
struct CSdlPlatform::Parts {
    SdlSession sdl;
    CSdlWindowSystem windows{sdl.video};
    CSdlDialogs dialogs{windows};
    CSdlClock clock;
    CSdlInput input{windows};
};

CSdlPlatform::CSdlPlatform() : parts(std::make_unique<Parts>()) {}

CSdlPlatform::~CSdlPlatform() { parts->windows.FreeNativeWindows(); }

bool CSdlPlatform::VideoAvailable() const { return parts->sdl.video; }

CSdlWindowSystem& CSdlPlatform::Windows() { return parts->windows; }

Win32Services CSdlPlatform::Services() {
    Win32Services services;
    services.windows = &parts->windows;
    services.dialogs = &parts->dialogs;
    services.clock = &parts->clock;
    services.input = &parts->input;
    return services;
}
