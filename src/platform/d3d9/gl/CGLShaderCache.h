// The device's shader programs, one per shader key, built on first use and
// kept for the life of the device (the program uses a handful).
#pragma once

#include <epoxy/gl.h>

#include <memory>
#include <vector>

#include "platform/d3d9/gl/CGLProgram.h"
#include "platform/d3d9/gl/GLPipelineState.h"

class CGLShaderCache {
public:
    CGLShaderCache() = default;
    CGLShaderCache(const CGLShaderCache&) = delete;
    CGLShaderCache& operator=(const CGLShaderCache&) = delete;

    // The program for `key`, or null when it cannot be built (reported once).
    CGLProgram* Get(const GLShaderKey& key);
    // Every program needs all its uniforms again (GL state was reset).
    void ForgetUploads();
    // Deletes the programs; the context must be current.
    void DeleteAll();

private:
    std::vector<std::unique_ptr<CGLProgram>> programs;
    CGLProgram* last = nullptr;
};
