#include "platform/sdl/CSdlClock.h"

#include <SDL.h>

DWORD CSdlClock::timeGetTime() { return static_cast<DWORD>(SDL_GetTicks()); }

UINT CSdlClock::timeBeginPeriod(UINT) { return 0; }

UINT CSdlClock::timeEndPeriod(UINT) { return 0; }

void CSdlClock::Sleep(DWORD milliseconds) { SDL_Delay(milliseconds); }
