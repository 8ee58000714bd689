// Debug-build checks of the GL error state: each names the call that failed
// on stderr, so a black picture becomes a log line. Release builds compile
// them away.
#pragma once

#include <epoxy/gl.h>

#ifndef NDEBUG
// Reports and clears any pending GL error; `what` names the call checked.
void CheckGLError(const char* what);
#else
inline void CheckGLError(const char*) {}
#endif

// Empties the GL error queue so that the next glGetError belongs to the
// calls that follow; debug builds report what was pending.
void DrainGLErrors(const char* what);

// Reports a problem of the backend on stderr once per distinct text (in
// every build): these are misuses the device refused, not GL failures.
void ReportGLProblem(const char* text);
