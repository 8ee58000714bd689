// The GL backend's translation of Direct3D state, checked without a display.
#include "platform/d3d9/gl/GLPipelineState.h"

#include <gtest/gtest.h>

namespace {

constexpr DWORD kScreenFvf = D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1;
constexpr DWORD kMeshFvf = D3DFVF_XYZ | D3DFVF_NORMAL;

D3DDeviceState Defaults() {
    D3DDeviceState s;
    s.ResetToDefaults(true, 800, 600);
    return s;
}

GLPipelineState Plan(const D3DDeviceState& s, DWORD fvf, bool opaqueAlpha = false) {
    return PlanPipeline(s, DecodeFvf(fvf), GLTargetInfo{true, opaqueAlpha}, GLDrawFacts{});
}

}  // namespace

TEST(GLPipelinePlan, CullModesKeepDirect3DsWindingOnEveryTarget) {
    // Direct3D row 0 is GL row 0 everywhere, which mirrors the picture: a
    // Direct3D-clockwise triangle is GL-counter-clockwise. So the front face
    // stays GL_CCW and culling clockwise triangles culls GL's front faces.
    struct Case {
        DWORD cull;
        bool enable;
        GLCullFace face;
    } cases[] = {{D3DCULL_NONE, false, GLCullFace::Back},
                 {D3DCULL_CW, true, GLCullFace::Front},
                 {D3DCULL_CCW, true, GLCullFace::Back}};
    for (const Case& c : cases) {
        D3DDeviceState s = Defaults();
        s.renderStates[D3DRS_CULLMODE] = c.cull;
        for (DWORD fvf : {kScreenFvf, kMeshFvf}) {
            const GLPipelineState p = Plan(s, fvf);
            EXPECT_EQ(p.cullEnable, c.enable) << c.cull;
            if (c.enable) { EXPECT_EQ(p.cullFace, c.face) << c.cull; }
            EXPECT_EQ(p.frontFace, GLFrontFace::CounterClockwise);
        }
    }
}

TEST(GLPipelinePlan, AdditiveBlendingKeepsTheOpaqueAlphaOfX8Targets) {
    // ONE, ONE is the glow; an X8 target keeps its stored alpha of 1
    // whatever the colour does.
    using F = GLBlendFactor;
    D3DDeviceState s = Defaults();
    s.renderStates[D3DRS_ALPHABLENDENABLE] = TRUE;
    s.renderStates[D3DRS_SRCBLEND] = D3DBLEND_ONE;
    s.renderStates[D3DRS_DESTBLEND] = D3DBLEND_ONE;
    for (bool opaqueAlpha : {false, true}) {
        const GLPipelineState p = Plan(s, kScreenFvf, opaqueAlpha);
        EXPECT_TRUE(p.blendEnable);
        const F got[4] = {p.srcBlend, p.dstBlend, p.srcBlendAlpha, p.dstBlendAlpha};
        const F expected[4] = {F::One, F::One, opaqueAlpha ? F::Zero : F::One, F::One};
        for (int i = 0; i < 4; ++i) EXPECT_EQ(got[i], expected[i]) << opaqueAlpha << " " << i;
    }
}

TEST(GLPipelinePlan, StageZeroWithoutATexturePassesTheDiffuseColour) {
    // The glow composite's MODULATE(TEXTURE, DIFFUSE), with nothing bound.
    D3DDeviceState s = Defaults();
    s.stages[0].states[D3DTSS_COLORARG2] = D3DTA_DIFFUSE;
    s.stages[0].states[D3DTSS_ALPHAOP] = D3DTOP_MODULATE;
    s.stages[0].states[D3DTSS_ALPHAARG2] = D3DTA_DIFFUSE;
    const GLShaderKey k = PlanShader(s, DecodeFvf(kScreenFvf), GLTargetInfo{true, false});
    EXPECT_FALSE(k.textureBound);
    // Colour op, arg1, arg2, alpha op, arg1, arg2.
    const DWORD got[6] = {k.colorOp, k.colorArg1, k.colorArg2, k.alphaOp, k.alphaArg1, k.alphaArg2};
    const DWORD expected[6] = {D3DTOP_SELECTARG1, D3DTA_CURRENT, D3DTA_CURRENT,
                               D3DTOP_SELECTARG1, D3DTA_CURRENT, D3DTA_CURRENT};
    for (int i = 0; i < 6; ++i) EXPECT_EQ(got[i], expected[i]) << "field " << i;
}
