// Shader constants from the desired state. Direct3D matrices are row-major
// for row vectors; read as GLM matrices (column-major, column vectors) the
// same sixteen floats are the same transform, so no transpose appears here
// and products reverse order (World * View becomes view * world).
#include "platform/d3d9/gl/GLUniforms.h"

#include <cmath>
#include <cstring>

#include <glm/glm.hpp>
#include <glm/gtc/type_ptr.hpp>

namespace {

glm::mat4 ToGlm(const D3DMATRIX& m) { return glm::make_mat4(m.Data()); }

std::array<float, 3> Rgb(const D3DCOLORVALUE& c) { return {c.r, c.g, c.b}; }
std::array<float, 4> Rgba(const D3DCOLORVALUE& c) { return {c.r, c.g, c.b, c.a}; }

int ResolveSource(const D3DDeviceState& state, D3DRENDERSTATETYPE sourceState,
                  const D3DVertexLayout& layout) {
    if (state.RenderState(D3DRS_COLORVERTEX) == FALSE) return kGLSourceMaterial;
    const DWORD source = state.RenderState(sourceState);
    // A source naming a colour the vertex lacks falls back to the material.
    if (source == D3DMCS_COLOR1 && layout.diffuseOffset >= 0) return kGLSourceVertexDiffuse;
    if (source == D3DMCS_COLOR2 && layout.specularOffset >= 0) return kGLSourceVertexSpecular;
    return kGLSourceMaterial;
}

}  // namespace

std::array<float, 4> ColorToFloats(D3DCOLOR color) {
    return {static_cast<float>((color >> 16) & 0xFF) / 255.0f,
            static_cast<float>((color >> 8) & 0xFF) / 255.0f,
            static_cast<float>(color & 0xFF) / 255.0f,
            static_cast<float>((color >> 24) & 0xFF) / 255.0f};
}

GLTransformUniforms ComputeTransformUniforms(const D3DDeviceState& state) {
    GLTransformUniforms u;
    const glm::mat4 worldView = ToGlm(state.view) * ToGlm(state.world);
    std::memcpy(u.worldView.data(), glm::value_ptr(worldView), sizeof(float) * 16);
    std::memcpy(u.projection.data(), state.projection.Data(), sizeof(float) * 16);

    // Normals go through the inverse transpose; a singular matrix (a zero
    // scale) has none, and then the plain matrix is the best there is.
    const glm::mat3 upper(worldView);
    const float det = glm::determinant(upper);
    const glm::mat3 normal =
        std::fabs(det) > 1e-30f && std::isfinite(det) ? glm::transpose(glm::inverse(upper)) : upper;
    std::memcpy(u.normalMatrix.data(), glm::value_ptr(normal), sizeof(float) * 9);
    return u;
}

GLViewportUniforms ComputeViewportUniforms(const D3DVIEWPORT9& viewport) {
    // GL's viewport maps ndc -1..1 onto the pixel edges X..X+W; Direct3D
    // puts pixel centres on integers, so its coordinate x is GL's x + 0.5:
    //   ndc = (2 (x - X) + 1) / W - 1.
    // For projected geometry the same half pixel is 1/W in ndc, times w.
    const float w = viewport.Width > 0 ? static_cast<float>(viewport.Width) : 1.0f;
    const float h = viewport.Height > 0 ? static_cast<float>(viewport.Height) : 1.0f;
    const float x = static_cast<float>(viewport.X);
    const float y = static_cast<float>(viewport.Y);
    GLViewportUniforms u;
    u.screen = {2.0f / w, 2.0f / h, (1.0f - 2.0f * x) / w - 1.0f, (1.0f - 2.0f * y) / h - 1.0f};
    u.fixup = {1.0f / w, 1.0f / h};
    return u;
}

GLLightingUniforms ComputeLightingUniforms(const D3DDeviceState& state,
                                           const D3DVertexLayout& layout) {
    GLLightingUniforms u;
    const glm::mat3 view(ToGlm(state.view));
    for (DWORD i = 0; i < kD3DMaxLights && u.lightCount < kGLMaxLights; ++i) {
        if (!IsModelledLight(state, i)) continue;
        const D3DLIGHT9& light = state.lights[i];
        // Direction is where the light travels, in world space; the shader
        // wants the way back to the light, in camera space. (A view that
        // flattens it leaves the light its ambient part only.)
        const glm::vec3 travel =
            view * glm::vec3(light.Direction.x, light.Direction.y, light.Direction.z);
        const float length = glm::length(travel);
        const glm::vec3 toLight =
            length > 0.0f && std::isfinite(length) ? -travel / length : glm::vec3(0.0f);
        const int n = u.lightCount++;
        u.toLight[n] = {toLight.x, toLight.y, toLight.z};
        u.diffuse[n] = Rgb(light.Diffuse);
        u.specular[n] = Rgb(light.Specular);
        u.ambient[n] = Rgb(light.Ambient);
    }
    const D3DMATERIAL9& m = state.material;
    u.materialDiffuse = Rgba(m.Diffuse);
    u.materialAmbient = Rgba(m.Ambient);
    u.materialSpecular = Rgba(m.Specular);
    u.materialEmissive = Rgba(m.Emissive);
    u.materialPower = m.Power;
    const auto ambient = ColorToFloats(state.RenderState(D3DRS_AMBIENT));
    u.globalAmbient = {ambient[0], ambient[1], ambient[2]};
    u.colorSource = {ResolveSource(state, D3DRS_DIFFUSEMATERIALSOURCE, layout),
                     ResolveSource(state, D3DRS_SPECULARMATERIALSOURCE, layout),
                     ResolveSource(state, D3DRS_AMBIENTMATERIALSOURCE, layout),
                     ResolveSource(state, D3DRS_EMISSIVEMATERIALSOURCE, layout)};
    u.localViewer = state.RenderState(D3DRS_LOCALVIEWER) != FALSE;
    u.normalizeNormals = state.RenderState(D3DRS_NORMALIZENORMALS) != FALSE;
    return u;
}
