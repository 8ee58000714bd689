// The GL backend's translation of Direct3D state, checked without a display.
#include "platform/d3d9/gl/GLPipelineState.h"

#include <gtest/gtest.h>

#include <cmath>

#include "platform/d3d9/gl/GLUniforms.h"

namespace {

constexpr DWORD kScreenFvf = D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1;  // 324
constexpr DWORD kMeshFvf = D3DFVF_XYZ | D3DFVF_NORMAL;                       // 18

D3DDeviceState Defaults() {
    D3DDeviceState s;
    s.ResetToDefaults(true, 800, 600);
    return s;
}

GLPipelineState Plan(const D3DDeviceState& s, DWORD fvf, bool hasDepth = true,
                     const GLDrawFacts& facts = {}) {
    return PlanPipeline(s, DecodeFvf(fvf), GLTargetInfo{hasDepth, false}, facts);
}

struct ScreenVertex {
    float x, y, z, rhw;
    D3DCOLOR color;
    float u, v;
};

// Any non-null pointer stands for a bound texture: the planner only asks
// whether one is there.
IDirect3DBaseTexture9* SomeTexture() {
    static int storage;
    return reinterpret_cast<IDirect3DBaseTexture9*>(&storage);
}

}  // namespace

TEST(GLVertexLayout, DecodesTheFormatsAndRefusesWhatCannotBeDrawn) {
    struct Case {
        DWORD fvf;
        bool valid;
        bool pretransformed;
        UINT size;
        int normal, diffuse, specular, tex, texComponents;
    } cases[] = {
        {kScreenFvf, true, true, 28, -1, 16, -1, 20, 2},
        {kMeshFvf, true, false, 24, 12, -1, -1, -1, 0},
        {D3DFVF_XYZ | D3DFVF_DIFFUSE | D3DFVF_SPECULAR | D3DFVF_TEX1, true, false, 28, -1, 12, 16, 20, 2},
        {D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_DIFFUSE, true, false, 28, 12, 24, -1, -1, 0},
        // a three-component first texture set (D3DFVF_TEXCOORDSIZE3(0)) then a two-component one
        {D3DFVF_XYZ | 0x200 | (1u << 16), true, false, 32, -1, -1, -1, 12, 3},
        {0, false, false, 0, -1, -1, -1, -1, 0},                                   // no position
        {D3DFVF_XYZRHW | D3DFVF_NORMAL, false, false, 0, -1, -1, -1, -1, 0},      // pre-transformed with normal
        {0x006 /* XYZB1 */, false, false, 0, -1, -1, -1, -1, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fvf);
        const GLVertexLayout l = DecodeFvf(c.fvf);
        EXPECT_EQ(l.valid, c.valid);
        if (!c.valid) continue;
        EXPECT_EQ(l.pretransformed, c.pretransformed);
        EXPECT_EQ(l.size, c.size);
        EXPECT_EQ(l.normalOffset, c.normal);
        EXPECT_EQ(l.diffuseOffset, c.diffuse);
        EXPECT_EQ(l.specularOffset, c.specular);
        EXPECT_EQ(l.texCoordOffset, c.tex);
        EXPECT_EQ(l.texCoordComponents, c.texComponents);
    }
}

TEST(GLVertexLayout, PrimitiveCountsBecomeVertexCounts) {
    EXPECT_EQ(VertexCountFor(D3DPT_TRIANGLEFAN, 2), 4u);
    EXPECT_EQ(VertexCountFor(D3DPT_TRIANGLESTRIP, 128), 130u);
    EXPECT_EQ(VertexCountFor(D3DPT_TRIANGLELIST, 3), 9u);
    EXPECT_EQ(VertexCountFor(D3DPT_LINESTRIP, 1), 2u);
    EXPECT_EQ(VertexCountFor(D3DPT_TRIANGLELIST, 0), 0u);
    EXPECT_EQ(VertexCountFor(static_cast<D3DPRIMITIVETYPE>(9), 1), 0u);
    // A count whose vertices do not fit in 32 bits is refused, not wrapped.
    EXPECT_EQ(VertexCountFor(D3DPT_TRIANGLELIST, 0x60000000u), 0u);
    EXPECT_EQ(VertexCountFor(D3DPT_TRIANGLESTRIP, 0xFFFFFFFFu), 0u);
}

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
    // The device default culls counter-clockwise triangles.
    EXPECT_TRUE(Plan(Defaults(), kMeshFvf).cullEnable);
    EXPECT_EQ(Plan(Defaults(), kMeshFvf).cullFace, GLCullFace::Back);
}

TEST(GLPipelinePlan, DepthTestNeedsADepthBufferAndDefaultsToLessOrEqual) {
    D3DDeviceState s = Defaults();
    GLPipelineState p = Plan(s, kMeshFvf, true);
    EXPECT_TRUE(p.depthTest);
    EXPECT_EQ(p.depthFunc, GLCompareFunc::LessEqual);
    EXPECT_TRUE(p.depthWrite);
    EXPECT_FALSE(Plan(s, kMeshFvf, false).depthTest);

    s.renderStates[D3DRS_ZENABLE] = D3DZB_FALSE;
    s.renderStates[D3DRS_ZWRITEENABLE] = FALSE;
    s.renderStates[D3DRS_ZFUNC] = D3DCMP_GREATER;
    p = Plan(s, kMeshFvf, true);
    EXPECT_FALSE(p.depthTest);
    EXPECT_FALSE(p.depthWrite);
    EXPECT_EQ(p.depthFunc, GLCompareFunc::Greater);

    // Projected geometry honours MinZ..MaxZ; pre-transformed z is the depth
    // itself. Rows are the same in both APIs: the rectangle is not flipped.
    s.viewport = D3DVIEWPORT9{10, 20, 256, 128, 0.25f, 0.75f};
    EXPECT_EQ(Plan(s, kMeshFvf).viewport, (GLRect{10, 20, 256, 128}));
    EXPECT_FLOAT_EQ(Plan(s, kMeshFvf).depthNear, 0.25f);
    EXPECT_FLOAT_EQ(Plan(s, kMeshFvf).depthFar, 0.75f);
    EXPECT_FLOAT_EQ(Plan(s, kScreenFvf).depthNear, 0.0f);
    EXPECT_FLOAT_EQ(Plan(s, kScreenFvf).depthFar, 1.0f);
}

TEST(GLPipelinePlan, StageZeroWithAndWithoutATexture) {
    struct Case {
        const char* what;
        DWORD colorOp, colorArg1, colorArg2, alphaOp, alphaArg1, alphaArg2;
        bool texture;
        GLShaderKey expect;  // only the stage fields are compared
    };
    auto stage = [](DWORD co, DWORD c1, DWORD c2, DWORD ao, DWORD a1, DWORD a2) {
        GLShaderKey k;
        k.colorOp = static_cast<std::uint8_t>(co);
        k.colorArg1 = static_cast<std::uint8_t>(c1);
        k.colorArg2 = static_cast<std::uint8_t>(c2);
        k.alphaOp = static_cast<std::uint8_t>(ao);
        k.alphaArg1 = static_cast<std::uint8_t>(a1);
        k.alphaArg2 = static_cast<std::uint8_t>(a2);
        return k;
    };
    const Case cases[] = {
        {"defaults, textured", D3DTOP_MODULATE, D3DTA_TEXTURE, D3DTA_CURRENT, D3DTOP_SELECTARG1,
         D3DTA_TEXTURE, D3DTA_CURRENT, true,
         stage(D3DTOP_MODULATE, D3DTA_TEXTURE, D3DTA_CURRENT, D3DTOP_SELECTARG1, D3DTA_TEXTURE, D3DTA_CURRENT)},
        // An absent texture passes the diffuse colour (and alpha) through.
        {"defaults, no texture", D3DTOP_MODULATE, D3DTA_TEXTURE, D3DTA_CURRENT, D3DTOP_SELECTARG1,
         D3DTA_TEXTURE, D3DTA_CURRENT, false,
         stage(D3DTOP_SELECTARG1, D3DTA_CURRENT, D3DTA_CURRENT, D3DTOP_SELECTARG1, D3DTA_CURRENT, D3DTA_CURRENT)},
        {"additive glow, no texture", D3DTOP_MODULATE, D3DTA_TEXTURE, D3DTA_DIFFUSE, D3DTOP_MODULATE,
         D3DTA_TEXTURE, D3DTA_DIFFUSE, false,
         stage(D3DTOP_SELECTARG1, D3DTA_CURRENT, D3DTA_CURRENT, D3DTOP_SELECTARG1, D3DTA_CURRENT, D3DTA_CURRENT)},
        {"diffuse only, no texture needed", D3DTOP_SELECTARG2, D3DTA_TEXTURE, D3DTA_DIFFUSE,
         D3DTOP_SELECTARG2, D3DTA_TEXTURE, D3DTA_DIFFUSE, false,
         stage(D3DTOP_SELECTARG2, D3DTA_CURRENT, D3DTA_DIFFUSE, D3DTOP_SELECTARG2, D3DTA_CURRENT, D3DTA_DIFFUSE)},
        // A disabled stage 0 ends the cascade with the diffuse colour.
        {"disabled", D3DTOP_DISABLE, D3DTA_TEXTURE, D3DTA_CURRENT, D3DTOP_SELECTARG1, D3DTA_TEXTURE,
         D3DTA_CURRENT, true,
         stage(D3DTOP_SELECTARG1, D3DTA_DIFFUSE, D3DTA_CURRENT, D3DTOP_SELECTARG1, D3DTA_DIFFUSE, D3DTA_CURRENT)},
        {"unknown operation", 26, D3DTA_TEXTURE, D3DTA_DIFFUSE, 26, D3DTA_TEXTURE, D3DTA_DIFFUSE, true,
         stage(D3DTOP_MODULATE, D3DTA_TEXTURE, D3DTA_DIFFUSE, D3DTOP_SELECTARG1, D3DTA_TEXTURE, D3DTA_CURRENT)},
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
        EXPECT_EQ(k.colorOp, c.expect.colorOp);
        EXPECT_EQ(k.colorArg1, c.expect.colorArg1);
        EXPECT_EQ(k.colorArg2, c.expect.colorArg2);
        EXPECT_EQ(k.alphaOp, c.expect.alphaOp);
        EXPECT_EQ(k.alphaArg1, c.expect.alphaArg1);
        EXPECT_EQ(k.alphaArg2, c.expect.alphaArg2);
    }
}

TEST(GLPipelinePlan, LightingAndSpecularOnlyWhereTheyCanShow) {
    D3DDeviceState s = Defaults();
    s.renderStates[D3DRS_SPECULARENABLE] = TRUE;  // the mesh draw leaves it on
    const GLShaderKey mesh = Plan(s, kMeshFvf).shader;
    EXPECT_TRUE(mesh.lit);
    EXPECT_TRUE(mesh.specularAdd);
    EXPECT_TRUE(mesh.hasNormal);
    // Pre-transformed quads are never lit and have no specular colour: the
    // quads after a mesh draw share one program whatever SPECULARENABLE says.
    const GLShaderKey quad = Plan(s, kScreenFvf).shader;
    EXPECT_FALSE(quad.lit);
    EXPECT_FALSE(quad.specularAdd);
    s.renderStates[D3DRS_SPECULARENABLE] = FALSE;
    EXPECT_EQ(Plan(s, kScreenFvf).shader, quad);

    s.renderStates[D3DRS_LIGHTING] = FALSE;
    EXPECT_FALSE(Plan(s, kMeshFvf).shader.lit);
}

TEST(GLPipelinePlan, DiffNamesExactlyTheGroupsThatChanged) {
    const D3DDeviceState base = Defaults();
    const GLPipelineState a = Plan(base, kScreenFvf);
    EXPECT_EQ(DiffPipeline(a, a), 0u);

    struct Case {
        const char* what;
        void (*change)(D3DDeviceState&);
        std::uint32_t groups;
    } cases[] = {
        {"blend on", [](D3DDeviceState& s) { s.renderStates[D3DRS_ALPHABLENDENABLE] = TRUE; }, kGLBlendEnable},
        {"blend factors",
         [](D3DDeviceState& s) {
             s.renderStates[D3DRS_SRCBLEND] = D3DBLEND_SRCALPHA;
             s.renderStates[D3DRS_DESTBLEND] = D3DBLEND_INVSRCALPHA;
         },
         kGLBlendFunc},
        {"cull none", [](D3DDeviceState& s) { s.renderStates[D3DRS_CULLMODE] = D3DCULL_NONE; }, kGLCullEnable},
        {"cull cw", [](D3DDeviceState& s) { s.renderStates[D3DRS_CULLMODE] = D3DCULL_CW; }, kGLCullFace},
        {"z writes", [](D3DDeviceState& s) { s.renderStates[D3DRS_ZWRITEENABLE] = FALSE; }, kGLDepthWrite},
        {"viewport", [](D3DDeviceState& s) { s.viewport.Width = 256; }, kGLViewport},
        {"filter", [](D3DDeviceState& s) { s.samplers[0].states[D3DSAMP_MAGFILTER] = D3DTEXF_LINEAR; }, kGLSampler0},
        {"texture", [](D3DDeviceState& s) { s.textures[0] = SomeTexture(); }, kGLShader},
        {"colour writes", [](D3DDeviceState& s) { s.renderStates[D3DRS_COLORWRITEENABLE] = 0x7; }, kGLColorMask},
        // States that do not reach GL for this draw change nothing.
        {"light", [](D3DDeviceState& s) { s.lightEnabled[0] = TRUE; }, 0},
        {"sampler 1", [](D3DDeviceState& s) { s.samplers[1].states[D3DSAMP_MAGFILTER] = D3DTEXF_LINEAR; }, 0},
    };
    for (const Case& c : cases) {
        D3DDeviceState s = base;
        c.change(s);
        EXPECT_EQ(DiffPipeline(a, Plan(s, kScreenFvf)), c.groups) << c.what;
    }
}

TEST(GLUniforms, PreTransformedPixelsLandOnDirect3DsPixelCentres) {
    // Direct3D pixel centres are integers, GL's half-integers: the Direct3D
    // coordinate x must reach GL window coordinate x + 0.5.
    for (const D3DVIEWPORT9 vp : {D3DVIEWPORT9{0, 0, 800, 600, 0, 1}, D3DVIEWPORT9{100, 40, 256, 200, 0, 1}}) {
        const GLViewportUniforms u = ComputeViewportUniforms(vp);
        for (float x : {0.0f, 3.0f, 99.5f, 255.0f}) {
            const float ndc = x * u.screen[0] + u.screen[2];
            const float window = vp.X + (ndc + 1.0f) * 0.5f * vp.Width;
            EXPECT_NEAR(window, x + 0.5f, 1e-3f) << vp.Width << " " << x;
            const float ndcY = x * u.screen[1] + u.screen[3];
            EXPECT_NEAR(vp.Y + (ndcY + 1.0f) * 0.5f * vp.Height, x + 0.5f, 1e-3f);
        }
        // Projected geometry: the same half pixel, in ndc.
        EXPECT_FLOAT_EQ(u.fixup[0], 1.0f / vp.Width);
        EXPECT_FLOAT_EQ(u.fixup[1], 1.0f / vp.Height);
    }
}

TEST(GLUniforms, LightsGoToCameraSpacePointingAtTheLight) {
    D3DDeviceState s = Defaults();
    // A view turned a quarter turn about y: world +x is camera -z.
    s.view = D3DIdentityMatrix();
    s.view._11 = 0.0f;
    s.view._13 = -1.0f;
    s.view._31 = 1.0f;
    s.view._33 = 0.0f;
    D3DLIGHT9 light{};
    light.Type = D3DLIGHT_DIRECTIONAL;
    light.Direction = D3DVECTOR{2.0f, 0.0f, 0.0f};  // travels along world +x, not unit length
    light.Diffuse = D3DCOLORVALUE{1.0f, 0.5f, 0.25f, 1.0f};
    s.lights[3] = light;
    s.lightEnabled[3] = TRUE;
    D3DLIGHT9 point = light;
    point.Type = D3DLIGHT_POINT;  // not modelled: left out
    s.lights[4] = point;
    s.lightEnabled[4] = TRUE;
    s.renderStates[D3DRS_AMBIENT] = 0x00804020;

    const GLLightingUniforms u = ComputeLightingUniforms(s, DecodeFvf(kMeshFvf));
    ASSERT_EQ(u.lightCount, 1);
    // Travelling towards camera -z, so the way to the light is camera +z.
    EXPECT_NEAR(u.toLight[0][0], 0.0f, 1e-6f);
    EXPECT_NEAR(u.toLight[0][1], 0.0f, 1e-6f);
    EXPECT_NEAR(u.toLight[0][2], 1.0f, 1e-6f);
    EXPECT_FLOAT_EQ(u.diffuse[0][1], 0.5f);
    EXPECT_NEAR(u.globalAmbient[0], 128.0f / 255.0f, 1e-6f);
    EXPECT_NEAR(u.globalAmbient[2], 32.0f / 255.0f, 1e-6f);
    EXPECT_EQ(u.localViewer, 1);
}

TEST(GLUniforms, ColourSourcesFallBackToTheMaterialWhenTheVertexHasNoColour) {
    D3DDeviceState s = Defaults();
    // Defaults: diffuse from COLOR1, specular from COLOR2, ambient and emissive from the material.
    const auto mesh = ComputeLightingUniforms(s, DecodeFvf(kMeshFvf)).colorSource;
    EXPECT_EQ(mesh, (std::array<int, 4>{kGLSourceMaterial, kGLSourceMaterial, kGLSourceMaterial, kGLSourceMaterial}));
    const auto coloured =
        ComputeLightingUniforms(s, DecodeFvf(D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_DIFFUSE)).colorSource;
    EXPECT_EQ(coloured, (std::array<int, 4>{kGLSourceVertexDiffuse, kGLSourceMaterial, kGLSourceMaterial, kGLSourceMaterial}));
    s.renderStates[D3DRS_COLORVERTEX] = FALSE;
    EXPECT_EQ(ComputeLightingUniforms(s, DecodeFvf(D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_DIFFUSE)).colorSource[0],
              kGLSourceMaterial);
}

TEST(GLUniforms, NormalsKeepTheirLengthUnderScaleAndSurviveASingularWorld) {
    D3DDeviceState s = Defaults();
    s.world = D3DIdentityMatrix();
    s.world._11 = 2.0f;  // stretched along x
    const GLTransformUniforms u = ComputeTransformUniforms(s);
    // The inverse transpose halves x: a normal along x shrinks, so N.L
    // darkens as Direct3D's does without NORMALIZENORMALS.
    EXPECT_FLOAT_EQ(u.normalMatrix[0], 0.5f);
    EXPECT_FLOAT_EQ(u.normalMatrix[4], 1.0f);
    s.world._11 = 0.0f;
    for (float v : ComputeTransformUniforms(s).normalMatrix) EXPECT_TRUE(std::isfinite(v));
}

TEST(GLPipelinePlan, QuadsOfOneColourAtDepthZeroSkipADepthTestThatCannotFail) {
    const GLVertexLayout layout = DecodeFvf(kScreenFvf);
    ScreenVertex quad[4] = {{8, 0, 0, 1, 0xFF999999u, 1, 0}, {8, 8, 0, 1, 0xFF999999u, 1, 1},
                            {0, 8, 0, 1, 0xFF999999u, 0, 1}, {0, 0, 0, 1, 0xFF999999u, 0, 0}};
    GLDrawFacts facts = ExamineVertices(layout, quad, 4, sizeof(ScreenVertex));
    EXPECT_TRUE(facts.depthAllNear);
    EXPECT_TRUE(facts.constantDiffuse);
    EXPECT_EQ(facts.diffuse, 0xFF999999u);
    quad[2].color = 0xFF999998u;
    quad[3].z = 0.5f;
    const GLDrawFacts mixed = ExamineVertices(layout, quad, 4, sizeof(ScreenVertex));
    EXPECT_FALSE(mixed.depthAllNear);
    EXPECT_FALSE(mixed.constantDiffuse);
    // Projected vertices say nothing about their depth.
    EXPECT_FALSE(ExamineVertices(DecodeFvf(D3DFVF_XYZ | D3DFVF_DIFFUSE), quad, 4, sizeof(ScreenVertex)).depthAllNear);

    // Stored depth is never below 0, so depth 0 always passes LESSEQUAL:
    // without Z writes the test changes nothing and is left out.
    D3DDeviceState s = Defaults();
    s.renderStates[D3DRS_ZWRITEENABLE] = FALSE;
    EXPECT_FALSE(Plan(s, kScreenFvf, true, facts).depthTest);
    EXPECT_TRUE(Plan(s, kScreenFvf, true, mixed).depthTest);
    s.renderStates[D3DRS_ZFUNC] = D3DCMP_LESS;  // depth 0 fails where 0 is stored
    EXPECT_TRUE(Plan(s, kScreenFvf, true, facts).depthTest);
    s.renderStates[D3DRS_ZFUNC] = D3DCMP_LESSEQUAL;
    s.renderStates[D3DRS_ZWRITEENABLE] = TRUE;  // the writes must happen
    EXPECT_TRUE(Plan(s, kScreenFvf, true, facts).depthTest);

    // One colour becomes a constant of the shader, unless lighting makes it.
    EXPECT_TRUE(Plan(s, kScreenFvf, true, facts).shader.constantDiffuse);
    EXPECT_FALSE(Plan(s, kScreenFvf, true, mixed).shader.constantDiffuse);
    EXPECT_FALSE(Plan(s, D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_DIFFUSE, true, facts).shader.constantDiffuse);
}

TEST(GLPipelinePlan, TheLitShaderSumsExactlyTheUsableLights) {
    D3DDeviceState s = Defaults();
    EXPECT_EQ(Plan(s, kMeshFvf).shader.lightCount, 0);
    D3DLIGHT9 light{};
    light.Type = D3DLIGHT_DIRECTIONAL;
    light.Direction = D3DVECTOR{0.5f, -0.7f, -0.3f};
    s.lights[0] = s.lights[5] = light;
    s.lightEnabled[0] = s.lightEnabled[5] = TRUE;
    light.Direction = D3DVECTOR{0, 0, 0};  // no direction: no light
    s.lights[2] = light;
    s.lightEnabled[2] = TRUE;
    s.lightEnabled[6] = FALSE;
    const GLShaderKey key = Plan(s, kMeshFvf).shader;
    EXPECT_EQ(key.lightCount, 2);
    EXPECT_EQ(ComputeLightingUniforms(s, DecodeFvf(kMeshFvf)).lightCount, 2);
    EXPECT_EQ(Plan(s, kScreenFvf).shader.lightCount, 0);  // never lit
}
