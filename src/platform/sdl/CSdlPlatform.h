// The SDL2 platform: SDL start-up and shut-down and the four Win32 services.
// Made first and destroyed last in main, after the device: it frees the
// native windows only then.
#pragma once

#include "platform/Win32.h"
#include "platform/sdl/CSdlClock.h"
#include "platform/sdl/CSdlDialogs.h"
#include "platform/sdl/CSdlInput.h"
#include "platform/sdl/CSdlWindowSystem.h"

class CSdlPlatform {
public:
    CSdlPlatform();
    ~CSdlPlatform();
    CSdlPlatform(const CSdlPlatform&) = delete;
    CSdlPlatform& operator=(const CSdlPlatform&) = delete;

    // False when there is no display: no window can be made.
    bool VideoAvailable() const { return sdl.video; }
    Win32Services Services();

private:
    // Initialises SDL on construction and shuts it down on destruction; the
    // first member, so SDL outlives the services.
    struct SdlSession {
        SdlSession();
        ~SdlSession();
        SdlSession(const SdlSession&) = delete;
        SdlSession& operator=(const SdlSession&) = delete;
        bool video = false;
    };

    SdlSession sdl;

public:
    CSdlWindowSystem windows{sdl.video};
    CSdlDialogs dialogs{windows};
    CSdlClock clock;
    CSdlInput input{windows};
};
