// A multimedia timer that reads whatever time it is set to, for tools that
// render frames at chosen moments. Sleep returns at once.
#pragma once

#include "platform/Win32.h"

class CPresetClock : public IClock {
public:
    DWORD timeGetTime() override { return now; }
    UINT timeBeginPeriod(UINT) override { return 0; }
    UINT timeEndPeriod(UINT) override { return 0; }
    void Sleep(DWORD) override {}

    DWORD now = 0;
};
