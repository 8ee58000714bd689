// Keeps the loaded graphics driver modules in memory until the process ends.
//
// Mesa unloads its DRI driver when the X display closes (SDL_Quit), leaving
// behind a few allocations of its own that it never frees. Once the module is
// gone, a leak checker can no longer tell whose they are and reports them as
// ours; pinned, they stay attributed to the driver, where the suppressions
// for system libraries cover them. Nothing else changes: the memory would be
// returned at exit either way.
#pragma once

// Pins every loaded module under a "/dri/" directory; returns how many.
int PinGraphicsDriverModules();
