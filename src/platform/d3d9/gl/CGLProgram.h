// One shader program of the device: its key, its GL name, where its
// uniforms are and what it last received of them.
#pragma once

#include <epoxy/gl.h>

#include <array>
#include <cstdint>

#include "platform/d3d9/d3d9.h"
#include "platform/d3d9/gl/GLPipelineState.h"

// Groups of uniforms, each refreshed when its inputs have changed since the
// program last received them.
enum GLUniformGroup : int {
    kGLUniformViewport = 0,
    kGLUniformTransform,
    kGLUniformLighting,
    kGLUniformMisc,
    kGLUniformGroupCount
};

struct GLProgramLocations {
    GLint screen = -1;
    GLint worldView = -1;
    GLint projection = -1;
    GLint fixup = -1;
    GLint normalMatrix = -1;
    GLint lightToLight = -1;
    GLint lightDiffuse = -1;
    GLint lightSpecular = -1;
    GLint lightAmbient = -1;
    GLint materialDiffuse = -1;
    GLint materialAmbient = -1;
    GLint materialSpecular = -1;
    GLint materialEmissive = -1;
    GLint materialPower = -1;
    GLint globalAmbient = -1;
    GLint colorSource = -1;
    GLint localViewer = -1;
    GLint normalizeNormals = -1;
    GLint textureFactor = -1;
    GLint alphaRef = -1;
    GLint texture0 = -1;  // always unit 0: stage 0
    GLint constantDiffuse = -1;
};

struct CGLProgram {
    GLShaderKey key;
    GLuint name = 0;  // 0 when the program failed to build
    GLProgramLocations at;
    // The uniform-group versions this program last received.
    std::array<std::uint64_t, kGLUniformGroupCount> uploaded{};
    // The draw colour last given to a constant-diffuse program.
    bool hasConstantDiffuse = false;
    D3DCOLOR constantDiffuse = 0;
};
