// GLSL 3.30 source of the program that draws with a given shader key: the
// fixed-function vertex stage (placement of pre-transformed vertices, the
// World/View/Projection transform, per-vertex lighting) and texture stage 0.
// Pure text generation; the backend compiles it.
#pragma once

#include <string>

#include "platform/d3d9/gl/GLPipelineState.h"

// Attribute locations shared by the shaders and the vertex setup.
enum GLAttributeLocation : unsigned {
    kGLAttribPosition = 0,
    kGLAttribNormal = 1,
    kGLAttribDiffuse = 2,
    kGLAttribSpecular = 3,
    kGLAttribTexCoord = 4,
};

std::string BuildVertexShaderSource(const GLShaderKey& key);
std::string BuildFragmentShaderSource(const GLShaderKey& key);
