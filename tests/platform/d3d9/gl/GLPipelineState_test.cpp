// The GL backend's translation of Direct3D state, checked without a display.
#include "platform/d3d9/gl/GLPipelineState.h"

#include <gtest/gtest.h>

namespace {

constexpr DWORD kScreenFvf = D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1;  // 324
constexpr DWORD kMeshFvf = D3DFVF_XYZ | D3DFVF_NORMAL;                       // 18

D3DDeviceState Defaults() {
    D3DDeviceState s;
    s.ResetToDefaults(true, 800, 600);
    return s;
}

GLPipelineState Plan(const D3DDeviceState& s, DWORD fvf, bool opaqueAlpha = false) {
    return PlanPipeline(s, DecodeFvf(fvf), GLTargetInfo{true, opaqueAlpha}, GLDrawFacts{});
}

// Any non-null pointer stands for a bound texture: the planner only asks
// whether one is there.
IDirect3DBaseTexture9* SomeTexture() {
    static int storage;
    return reinterpret_cast<IDirect3DBaseTexture9*>(&storage);
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
    } cases[] = {
        {D3DCULL_NONE, false, GLCullFace::Back},
        {D3DCULL_CW, true, GLCullFace::Front},
        {D3DCULL_CCW, true, GLCullFace::Back},
    };
    for (const Case& c : cases) {
        D3DDeviceState s = Defaults();
        s.renderStates[D3DRS_CULLMODE] = c.cull;
        for (DWORD fvf : {kScreenFvf, kMeshFvf}) {
            const GLPipelineState p = Plan(s, fvf);
            EXPECT_EQ(p.cullEnable, c.enable) << c.cull;
            if (c.enable) {
                EXPECT_EQ(p.cullFace, c.face) << c.cull;
            }
            EXPECT_EQ(p.frontFace, GLFrontFace::CounterClockwise);
        }
    }
}

TEST(GLPipelinePlan, BlendFactorsAndTheOpaqueAlphaOfX8Targets) {
    struct Case {
        const char* what;
        DWORD src, dst;
        bool opaqueAlpha;
        GLBlendFactor srcColour, dstColour, srcAlpha, dstAlpha;
    } cases[] = {
        {"additive glow", D3DBLEND_ONE, D3DBLEND_ONE, false, GLBlendFactor::One, GLBlendFactor::One,
         GLBlendFactor::One, GLBlendFactor::One},
        {"alpha over", D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA, false, GLBlendFactor::SrcAlpha,
         GLBlendFactor::OneMinusSrcAlpha, GLBlendFactor::SrcAlpha, GLBlendFactor::OneMinusSrcAlpha},
        // An X8 target keeps its stored alpha of 1 whatever the colour does.
        {"alpha over an X8 target", D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA, true, GLBlendFactor::SrcAlpha,
         GLBlendFactor::OneMinusSrcAlpha, GLBlendFactor::Zero, GLBlendFactor::One},
    };
    for (const Case& c : cases) {
        D3DDeviceState s = Defaults();
        s.renderStates[D3DRS_ALPHABLENDENABLE] = TRUE;
        s.renderStates[D3DRS_SRCBLEND] = c.src;
        s.renderStates[D3DRS_DESTBLEND] = c.dst;
        const GLPipelineState p = Plan(s, kScreenFvf, c.opaqueAlpha);
        EXPECT_TRUE(p.blendEnable) << c.what;
        EXPECT_EQ(p.srcBlend, c.srcColour) << c.what;
        EXPECT_EQ(p.dstBlend, c.dstColour) << c.what;
        EXPECT_EQ(p.srcBlendAlpha, c.srcAlpha) << c.what;
        EXPECT_EQ(p.dstBlendAlpha, c.dstAlpha) << c.what;
    }
}

TEST(GLPipelinePlan, StageZeroWithAndWithoutATexture) {
    struct Case {
        const char* what;
        DWORD colorOp, colorArg1, colorArg2, alphaOp, alphaArg1, alphaArg2;
        bool texture;
        DWORD expect[6];  // colour op, arg1, arg2, alpha op, arg1, arg2
    };
    const Case cases[] = {
        {"defaults, textured", D3DTOP_MODULATE, D3DTA_TEXTURE, D3DTA_CURRENT, D3DTOP_SELECTARG1,
         D3DTA_TEXTURE, D3DTA_CURRENT, true,
         {D3DTOP_MODULATE, D3DTA_TEXTURE, D3DTA_CURRENT, D3DTOP_SELECTARG1, D3DTA_TEXTURE, D3DTA_CURRENT}},
        // An absent texture passes the diffuse colour (and alpha) through.
        {"glow composite, no texture", D3DTOP_MODULATE, D3DTA_TEXTURE, D3DTA_DIFFUSE, D3DTOP_MODULATE,
         D3DTA_TEXTURE, D3DTA_DIFFUSE, false,
         {D3DTOP_SELECTARG1, D3DTA_CURRENT, D3DTA_CURRENT, D3DTOP_SELECTARG1, D3DTA_CURRENT, D3DTA_CURRENT}},
        // A disabled stage 0 ends the cascade with the diffuse colour.
        {"disabled", D3DTOP_DISABLE, D3DTA_TEXTURE, D3DTA_CURRENT, D3DTOP_SELECTARG1, D3DTA_TEXTURE,
         D3DTA_CURRENT, true,
         {D3DTOP_SELECTARG1, D3DTA_DIFFUSE, D3DTA_CURRENT, D3DTOP_SELECTARG1, D3DTA_DIFFUSE, D3DTA_CURRENT}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        D3DDeviceState s = Defaults();
        auto& st = s.stages[0].states;
        st[D3DTSS_COLOROP] = c.colorOp;
        st[D3DTSS_COLORARG1] = c.colorArg1;
        st[D3DTSS_COLORARG2] = c.colorArg2;
        st[D3DTSS_ALPHAOP] = c.alphaOp;
        st[D3DTSS_ALPHAARG1] = c.alphaArg1;
        st[D3DTSS_ALPHAARG2] = c.alphaArg2;
        if (c.texture) s.textures[0] = SomeTexture();
        const GLShaderKey k = Plan(s, kScreenFvf).shader;
        EXPECT_EQ(k.textureBound, c.texture);
        const DWORD got[6] = {k.colorOp, k.colorArg1, k.colorArg2, k.alphaOp, k.alphaArg1, k.alphaArg2};
        for (int i = 0; i < 6; ++i) EXPECT_EQ(got[i], c.expect[i]) << "field " << i;
    }
}
