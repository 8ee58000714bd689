// The SDL2 platform: SDL start-up and shut-down and the four Win32 services.
// Made first and destroyed last in main, after the device: it frees the
// native windows only then. Its header names no SDL type, so only the
// platform's own sources need SDL's headers.
#pragma once

#include <memory>

#include "platform/Win32.h"

class CSdlWindowSystem;

class CSdlPlatform {
public:
    CSdlPlatform();
    ~CSdlPlatform();
    CSdlPlatform(const CSdlPlatform&) = delete;
    CSdlPlatform& operator=(const CSdlPlatform&) = delete;

    // False when there is no display: no window can be made.
    bool VideoAvailable() const;
    Win32Services Services();
    CSdlWindowSystem& Windows();

private:
    struct Parts;
    std::unique_ptr<Parts> parts;
};
