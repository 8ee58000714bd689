// The shader constants of one draw, worked out from the device's desired
// state without calling OpenGL: transforms, the half-pixel placement and the
// fixed-function lighting inputs, already in the space the shaders use.
#pragma once

#include <array>

#include "platform/d3d9/D3DDeviceState.h"
#include "platform/d3d9/gl/GLPipelineState.h"

struct GLTransformUniforms {
    std::array<float, 16> worldView{};  // column-major, as glUniformMatrix4fv takes it
    std::array<float, 16> projection{};
    std::array<float, 9> normalMatrix{};  // camera-space normals
};

struct GLViewportUniforms {
    // Pre-transformed vertices: ndc.xy = xy * screen.xy + screen.zw.
    std::array<float, 4> screen{};
    // Projected vertices: clip.xy += fixup * clip.w (the half-pixel shift).
    std::array<float, 2> fixup{};
};

constexpr int kGLMaxLights = 8;

// Which colour feeds a lighting term.
enum GLColorSource : int {
    kGLSourceMaterial = 0,
    kGLSourceVertexDiffuse = 1,
    kGLSourceVertexSpecular = 2
};

struct GLLightingUniforms {
    int lightCount = 0;
    // Camera space, unit length, pointing from the surface towards the light.
    std::array<std::array<float, 3>, kGLMaxLights> toLight{};
    std::array<std::array<float, 3>, kGLMaxLights> diffuse{};
    std::array<std::array<float, 3>, kGLMaxLights> specular{};
    std::array<std::array<float, 3>, kGLMaxLights> ambient{};
    std::array<float, 4> materialDiffuse{};
    std::array<float, 4> materialAmbient{};
    std::array<float, 4> materialSpecular{};
    std::array<float, 4> materialEmissive{};
    float materialPower = 0.0f;
    std::array<float, 3> globalAmbient{};
    // Diffuse, specular, ambient, emissive reflectance sources.
    std::array<int, 4> colorSource{};
    int localViewer = 1;
    int normalizeNormals = 0;
};

GLTransformUniforms ComputeTransformUniforms(const D3DDeviceState& state);
// The Direct3D rule that pixel centres lie on integer coordinates, for the
// viewport in force (GL puts them at half-integers).
GLViewportUniforms ComputeViewportUniforms(const D3DVIEWPORT9& viewport);
GLLightingUniforms ComputeLightingUniforms(const D3DDeviceState& state,
                                           const D3DVertexLayout& layout);

// 0xAARRGGBB as four floats r, g, b, a in 0..1.
std::array<float, 4> ColorToFloats(D3DCOLOR color);
