// The multimedia timer on SDL2: milliseconds since SDL started, as an
// unsigned 32-bit count that wraps like timeGetTime.
#pragma once

#include "platform/Win32.h"

class CSdlClock : public IClock {
public:
    DWORD timeGetTime() override;
    // SDL's timer resolution is not adjustable; the calls succeed and do nothing.
    UINT timeBeginPeriod(UINT period) override;
    UINT timeEndPeriod(UINT period) override;
    void Sleep(DWORD milliseconds) override;
};
