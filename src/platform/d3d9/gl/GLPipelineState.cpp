// Translation of the Direct3D desired state into the GL pipeline picture.
// No OpenGL here: the backend's state cache turns the picture into calls.
#include "platform/d3d9/gl/GLPipelineState.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>

namespace {

constexpr DWORD kTextureArgSelectorMask = 0x0F;

GLCompareFunc MapCompare(DWORD func) {
    switch (func) {
        case D3DCMP_NEVER: return GLCompareFunc::Never;
        case D3DCMP_LESS: return GLCompareFunc::Less;
        case D3DCMP_EQUAL: return GLCompareFunc::Equal;
        case D3DCMP_LESSEQUAL: return GLCompareFunc::LessEqual;
        case D3DCMP_GREATER: return GLCompareFunc::Greater;
        case D3DCMP_NOTEQUAL: return GLCompareFunc::NotEqual;
        case D3DCMP_GREATEREQUAL: return GLCompareFunc::GreaterEqual;
        default: return GLCompareFunc::Always;
    }
}

GLBlendFactor MapBlend(DWORD factor, GLBlendFactor fallback) {
    switch (factor) {
        case D3DBLEND_ZERO: return GLBlendFactor::Zero;
        case D3DBLEND_ONE: return GLBlendFactor::One;
        case D3DBLEND_SRCCOLOR: return GLBlendFactor::SrcColor;
        case D3DBLEND_INVSRCCOLOR: return GLBlendFactor::OneMinusSrcColor;
        case D3DBLEND_SRCALPHA: return GLBlendFactor::SrcAlpha;
        case D3DBLEND_INVSRCALPHA: return GLBlendFactor::OneMinusSrcAlpha;
        case D3DBLEND_DESTALPHA: return GLBlendFactor::DstAlpha;
        case D3DBLEND_INVDESTALPHA: return GLBlendFactor::OneMinusDstAlpha;
        case D3DBLEND_DESTCOLOR: return GLBlendFactor::DstColor;
        case D3DBLEND_INVDESTCOLOR: return GLBlendFactor::OneMinusDstColor;
        default: return fallback;
    }
}

GLWrap MapAddress(DWORD mode) {
    switch (mode) {
        case D3DTADDRESS_MIRROR: return GLWrap::MirroredRepeat;
        case D3DTADDRESS_CLAMP: return GLWrap::ClampToEdge;
        case D3DTADDRESS_BORDER: return GLWrap::ClampToBorder;
        default: return GLWrap::Repeat;
    }
}

// Direct3D's anisotropic and higher filters are taken as linear.
bool IsLinear(DWORD filter) { return filter >= D3DTEXF_LINEAR; }

GLFilter MapMinFilter(DWORD minFilter, DWORD mipFilter) {
    const bool linear = IsLinear(minFilter);
    if (mipFilter == D3DTEXF_NONE) return linear ? GLFilter::Linear : GLFilter::Nearest;
    if (IsLinear(mipFilter))
        return linear ? GLFilter::LinearMipmapLinear : GLFilter::NearestMipmapLinear;
    return linear ? GLFilter::LinearMipmapNearest : GLFilter::NearestMipmapNearest;
}

int ClampToInt(DWORD value) {
    return static_cast<int>(std::min<DWORD>(value, std::numeric_limits<int>::max()));
}

bool IsKnownOp(DWORD op) { return op >= D3DTOP_DISABLE && op <= D3DTOP_ADD; }

bool ReadsTexture(DWORD op, DWORD arg1, DWORD arg2) {
    const bool usesArg1 = op != D3DTOP_SELECTARG2;
    const bool usesArg2 = op != D3DTOP_SELECTARG1;
    return (usesArg1 && (arg1 & kTextureArgSelectorMask) == D3DTA_TEXTURE) ||
           (usesArg2 && (arg2 & kTextureArgSelectorMask) == D3DTA_TEXTURE);
}

// Stage 0 of the texture cascade as the shader must compute it. A stage
// whose operation reads an absent texture passes the previous result (the
// diffuse colour at stage 0) through unchanged; for the modulating stages the
// program uses, that is the same as reading the texture as opaque white, and
// it never samples an unbound unit.
void PlanStage0(const D3DDeviceState& state, bool textureBound, GLShaderKey* key) {
    DWORD colorOp = state.StageState(0, D3DTSS_COLOROP);
    DWORD colorArg1 = state.StageState(0, D3DTSS_COLORARG1);
    DWORD colorArg2 = state.StageState(0, D3DTSS_COLORARG2);
    DWORD alphaOp = state.StageState(0, D3DTSS_ALPHAOP);
    DWORD alphaArg1 = state.StageState(0, D3DTSS_ALPHAARG1);
    DWORD alphaArg2 = state.StageState(0, D3DTSS_ALPHAARG2);

    // Operations this stand-in does not implement fall back to the default.
    if (!IsKnownOp(colorOp)) colorOp = D3DTOP_MODULATE;
    if (!IsKnownOp(alphaOp)) alphaOp = D3DTOP_SELECTARG1;

    // A disabled colour operation on stage 0 ends the cascade at once: the
    // output is the diffuse colour and alpha.
    if (colorOp == D3DTOP_DISABLE || alphaOp == D3DTOP_DISABLE) {
        if (colorOp == D3DTOP_DISABLE) {
            colorOp = D3DTOP_SELECTARG1;
            colorArg1 = D3DTA_DIFFUSE;
        }
        alphaOp = D3DTOP_SELECTARG1;
        alphaArg1 = D3DTA_DIFFUSE;
    }
    if (!textureBound && ReadsTexture(colorOp, colorArg1, colorArg2)) {
        colorOp = D3DTOP_SELECTARG1;
        colorArg1 = D3DTA_CURRENT;
    }
    if (!textureBound && ReadsTexture(alphaOp, alphaArg1, alphaArg2)) {
        alphaOp = D3DTOP_SELECTARG1;
        alphaArg1 = D3DTA_CURRENT;
    }
    // Keep arguments an operation ignores out of the key, so that equal
    // shaders get equal keys.
    if (colorOp == D3DTOP_SELECTARG1) colorArg2 = D3DTA_CURRENT;
    if (colorOp == D3DTOP_SELECTARG2) colorArg1 = D3DTA_CURRENT;
    if (alphaOp == D3DTOP_SELECTARG1) alphaArg2 = D3DTA_CURRENT;
    if (alphaOp == D3DTOP_SELECTARG2) alphaArg1 = D3DTA_CURRENT;

    key->colorOp = static_cast<std::uint8_t>(colorOp);
    key->colorArg1 = static_cast<std::uint8_t>(colorArg1);
    key->colorArg2 = static_cast<std::uint8_t>(colorArg2);
    key->alphaOp = static_cast<std::uint8_t>(alphaOp);
    key->alphaArg1 = static_cast<std::uint8_t>(alphaArg1);
    key->alphaArg2 = static_cast<std::uint8_t>(alphaArg2);
}

}  // namespace

GLShaderKey PlanShader(const D3DDeviceState& state, const D3DVertexLayout& layout,
                       const GLTargetInfo& target, const GLDrawFacts& facts) {
    GLShaderKey key;
    key.pretransformed = layout.pretransformed;
    key.hasNormal = layout.normalOffset >= 0;
    key.hasDiffuse = layout.diffuseOffset >= 0;
    key.hasSpecular = layout.specularOffset >= 0;
    key.texCoordComponents = static_cast<std::uint8_t>(layout.texCoordComponents);
    key.lit = !layout.pretransformed && state.RenderState(D3DRS_LIGHTING) != FALSE;
    if (key.lit)
        for (DWORD i = 0; i < kD3DMaxLights; ++i) key.lightCount += IsModelledLight(state, i);
    // Without lighting and without a specular colour in the vertex the
    // specular term is zero: leave the addition out of the shader.
    key.specularAdd =
        state.RenderState(D3DRS_SPECULARENABLE) != FALSE && (key.lit || key.hasSpecular);
    key.flatShade = state.RenderState(D3DRS_SHADEMODE) == D3DSHADE_FLAT;
    key.textureBound = state.textures[0] != nullptr;
    // Unlit vertices of one colour need no interpolated colour; as a
    // constant it lets llvmpipe shade textured quads on its fast path.
    key.constantDiffuse = !key.lit && key.hasDiffuse && facts.constantDiffuse;
    PlanStage0(state, key.textureBound, &key);
    if (state.RenderState(D3DRS_ALPHATESTENABLE) != FALSE) {
        DWORD func = state.RenderState(D3DRS_ALPHAFUNC);
        if (func < D3DCMP_NEVER || func > D3DCMP_ALWAYS) func = D3DCMP_ALWAYS;
        if (func != D3DCMP_ALWAYS) key.alphaTestFunc = static_cast<std::uint8_t>(func);
    }
    key.opaqueAlpha = target.opaqueAlpha && state.RenderState(D3DRS_ALPHABLENDENABLE) == FALSE;
    return key;
}

bool IsModelledLight(const D3DDeviceState& state, DWORD index) {
    if (index >= kD3DMaxLights || !state.lightEnabled[index]) return false;
    const D3DLIGHT9& light = state.lights[index];
    const D3DVECTOR& d = light.Direction;
    const float length2 = d.x * d.x + d.y * d.y + d.z * d.z;
    return light.Type == D3DLIGHT_DIRECTIONAL && length2 > 0.0f && std::isfinite(length2);
}

GLDrawFacts ExamineVertices(const D3DVertexLayout& layout, const void* vertices, UINT count,
                            UINT stride) {
    constexpr UINT kMostExamined = 64;
    GLDrawFacts facts;
    if (!layout.valid || vertices == nullptr || count == 0 || count > kMostExamined) return facts;
    const auto* bytes = static_cast<const std::uint8_t*>(vertices);
    facts.depthAllNear = layout.pretransformed;
    facts.constantDiffuse = layout.diffuseOffset >= 0;
    if (facts.constantDiffuse)
        std::memcpy(&facts.diffuse, bytes + layout.diffuseOffset, sizeof facts.diffuse);
    for (UINT i = 0; i < count && (facts.depthAllNear || facts.constantDiffuse); ++i) {
        const std::uint8_t* v = bytes + std::size_t{i} * stride;
        if (facts.depthAllNear) {
            float z = 0.0f;
            std::memcpy(&z, v + 8, sizeof z);
            facts.depthAllNear = z == 0.0f;
        }
        if (facts.constantDiffuse) {
            D3DCOLOR c = 0;
            std::memcpy(&c, v + layout.diffuseOffset, sizeof c);
            facts.constantDiffuse = c == facts.diffuse;
        }
    }
    return facts;
}

GLPipelineState PlanPipeline(const D3DDeviceState& state, const D3DVertexLayout& layout,
                             const GLTargetInfo& target, const GLDrawFacts& facts) {
    GLPipelineState p;
    // Without a depth buffer nothing is depth-tested, whatever ZENABLE says.
    p.depthTest = target.hasDepth && state.RenderState(D3DRS_ZENABLE) != D3DZB_FALSE;
    p.depthFunc = MapCompare(state.RenderState(D3DRS_ZFUNC));
    p.depthWrite = state.RenderState(D3DRS_ZWRITEENABLE) != FALSE;
    // A test that cannot fail and writes nothing is left out: stored depth
    // is never below 0, so depth 0 passes LESSEQUAL everywhere. The program's
    // quads are such draws, and llvmpipe shades them far faster without it.
    if (p.depthTest && !p.depthWrite &&
        (p.depthFunc == GLCompareFunc::Always ||
         (p.depthFunc == GLCompareFunc::LessEqual && facts.depthAllNear)))
        p.depthTest = false;

    // Direct3D's front faces are clockwise on the target (y down). Drawn with
    // Direct3D row 0 at GL row 0, the picture GL sees is mirrored vertically,
    // which turns Direct3D-clockwise into GL-counter-clockwise: so the front
    // face stays GL's CCW and D3DCULL_CW culls GL's front faces.
    p.frontFace = GLFrontFace::CounterClockwise;
    switch (state.RenderState(D3DRS_CULLMODE)) {
        case D3DCULL_CW:
            p.cullEnable = true;
            p.cullFace = GLCullFace::Front;
            break;
        case D3DCULL_CCW:
            p.cullEnable = true;
            p.cullFace = GLCullFace::Back;
            break;
        default:
            p.cullEnable = false;
            p.cullFace = GLCullFace::Back;
            break;
    }

    p.blendEnable = state.RenderState(D3DRS_ALPHABLENDENABLE) != FALSE;
    p.srcBlend = MapBlend(state.RenderState(D3DRS_SRCBLEND), GLBlendFactor::One);
    p.dstBlend = MapBlend(state.RenderState(D3DRS_DESTBLEND), GLBlendFactor::Zero);
    // An X8 target keeps its stored alpha of 1 when blending; without
    // blending the shader writes 1.
    p.srcBlendAlpha = target.opaqueAlpha ? GLBlendFactor::Zero : p.srcBlend;
    p.dstBlendAlpha = target.opaqueAlpha ? GLBlendFactor::One : p.dstBlend;
    p.colorMask = static_cast<std::uint8_t>(state.RenderState(D3DRS_COLORWRITEENABLE) & 0xF);

    switch (state.RenderState(D3DRS_FILLMODE)) {
        case D3DFILL_POINT: p.polygonMode = GLPolygonMode::Point; break;
        case D3DFILL_WIREFRAME: p.polygonMode = GLPolygonMode::Line; break;
        default: p.polygonMode = GLPolygonMode::Fill; break;
    }
    p.multisample = state.RenderState(D3DRS_MULTISAMPLEANTIALIAS) != FALSE;
    p.scissorTest = false;

    // Same rows in both APIs, so the rectangle needs no flip.
    const D3DVIEWPORT9& vp = state.viewport;
    p.viewport =
        GLRect{ClampToInt(vp.X), ClampToInt(vp.Y), ClampToInt(vp.Width), ClampToInt(vp.Height)};
    // Pre-transformed z is the depth value itself, not scaled by MinZ..MaxZ.
    if (layout.pretransformed) {
        p.depthNear = 0.0f;
        p.depthFar = 1.0f;
    } else {
        p.depthNear = std::clamp(vp.MinZ, 0.0f, 1.0f);
        p.depthFar = std::clamp(vp.MaxZ, 0.0f, 1.0f);
    }

    const D3DSamplerStates& s = state.samplers[0];
    p.sampler0.wrapS = MapAddress(s.states[D3DSAMP_ADDRESSU]);
    p.sampler0.wrapT = MapAddress(s.states[D3DSAMP_ADDRESSV]);
    p.sampler0.minFilter = MapMinFilter(s.states[D3DSAMP_MINFILTER], s.states[D3DSAMP_MIPFILTER]);
    p.sampler0.magFilter =
        IsLinear(s.states[D3DSAMP_MAGFILTER]) ? GLFilter::Linear : GLFilter::Nearest;
    p.sampler0.borderColor = s.states[D3DSAMP_BORDERCOLOR];
    return p;
}

std::vector<GLRect> ClearAreas(const D3DVIEWPORT9& vp, DWORD count, const D3DRECT* rects) {
    const std::int64_t vx0 = vp.X;
    const std::int64_t vy0 = vp.Y;
    const std::int64_t vx1 = vx0 + vp.Width;
    const std::int64_t vy1 = vy0 + vp.Height;
    std::vector<GLRect> areas;
    for (DWORD i = 0; i < std::max<DWORD>(count, 1); ++i) {
        std::int64_t x0 = vx0, y0 = vy0, x1 = vx1, y1 = vy1;
        if (count > 0) {
            x0 = std::max<std::int64_t>(x0, rects[i].x1);
            y0 = std::max<std::int64_t>(y0, rects[i].y1);
            x1 = std::min<std::int64_t>(x1, rects[i].x2);
            y1 = std::min<std::int64_t>(y1, rects[i].y2);
        }
        if (x1 <= x0 || y1 <= y0) continue;
        areas.push_back(GLRect{static_cast<int>(x0), static_cast<int>(y0),
                               static_cast<int>(x1 - x0), static_cast<int>(y1 - y0)});
    }
    return areas;
}

std::uint32_t DiffPipeline(const GLPipelineState& a, const GLPipelineState& b) {
    std::uint32_t groups = 0;
    if (a.depthTest != b.depthTest) groups |= kGLDepthTest;
    if (a.depthFunc != b.depthFunc) groups |= kGLDepthFunc;
    if (a.depthWrite != b.depthWrite) groups |= kGLDepthWrite;
    if (a.cullEnable != b.cullEnable) groups |= kGLCullEnable;
    if (a.cullFace != b.cullFace) groups |= kGLCullFace;
    if (a.frontFace != b.frontFace) groups |= kGLFrontFace;
    if (a.blendEnable != b.blendEnable) groups |= kGLBlendEnable;
    if (a.srcBlend != b.srcBlend || a.dstBlend != b.dstBlend ||
        a.srcBlendAlpha != b.srcBlendAlpha || a.dstBlendAlpha != b.dstBlendAlpha)
        groups |= kGLBlendFunc;
    if (a.colorMask != b.colorMask) groups |= kGLColorMask;
    if (a.polygonMode != b.polygonMode) groups |= kGLPolygonMode;
    if (a.multisample != b.multisample) groups |= kGLMultisample;
    if (a.scissorTest != b.scissorTest) groups |= kGLScissorTest;
    if (a.viewport != b.viewport) groups |= kGLViewport;
    if (a.depthNear != b.depthNear || a.depthFar != b.depthFar) groups |= kGLDepthRange;
    if (a.sampler0 != b.sampler0) groups |= kGLSampler0;
    return groups;
}
