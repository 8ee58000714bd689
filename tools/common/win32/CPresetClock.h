// The time a tool sets for the scene's timeGetTime on Windows, where the
// call is the system's own: CPresetInput.cpp points the scene's import of it
// at the installed clock. Sleep is not redirected (the scene never sleeps).
#pragma once

#include <windows.h>

class CPresetClock {
public:
    DWORD now = 0;

    // The clock the redirected timeGetTime reads; null reads 0.
    static CPresetClock* installed;
};
