#include "platform/d3d9/gl/GLCheck.h"

#include <cstdio>
#include <set>
#include <string>

#ifndef NDEBUG
void CheckGLError(const char* what) {
    for (GLenum error = glGetError(); error != GL_NO_ERROR; error = glGetError())
        std::fprintf(stderr, "tessary gl: %s failed with GL error 0x%04X\n", what, error);
}
#endif

void DrainGLErrors(const char* what) {
    CheckGLError(what);
    while (glGetError() != GL_NO_ERROR) {
    }
}

void ReportGLProblem(const char* text) {
    static std::set<std::string> reported;
    if (reported.insert(text).second) std::fprintf(stderr, "tessary gl: %s\n", text);
}
