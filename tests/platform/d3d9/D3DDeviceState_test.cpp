// Direct3D 9's device defaults, pinned in one table: the state a device
// starts with and returns to on Reset, for both backends.
#include "platform/d3d9/D3DDeviceState.h"

#include <gtest/gtest.h>

#include <cstring>

#include "platform/d3d9/D3DNames.h"

TEST(D3DDeviceState, DefaultsAreDirect3D9s) {
    D3DDeviceState s;
    s.ResetToDefaults(true, 800, 600);
    struct RenderState {
        D3DRENDERSTATETYPE state;
        DWORD value;
    };
    const RenderState renderStates[] = {
        {D3DRS_ZENABLE, D3DZB_TRUE},  // made with an automatic depth buffer
        {D3DRS_FILLMODE, D3DFILL_SOLID}, {D3DRS_SHADEMODE, D3DSHADE_GOURAUD},
        {D3DRS_ZWRITEENABLE, TRUE}, {D3DRS_ALPHATESTENABLE, FALSE}, {D3DRS_LASTPIXEL, TRUE},
        {D3DRS_SRCBLEND, D3DBLEND_ONE}, {D3DRS_DESTBLEND, D3DBLEND_ZERO},
        {D3DRS_CULLMODE, D3DCULL_CCW},  // GL's default is no culling
        {D3DRS_ZFUNC, D3DCMP_LESSEQUAL},  // GL's is LESS
        {D3DRS_ALPHAREF, 0}, {D3DRS_ALPHAFUNC, D3DCMP_ALWAYS}, {D3DRS_DITHERENABLE, FALSE},
        {D3DRS_ALPHABLENDENABLE, FALSE}, {D3DRS_FOGENABLE, FALSE},
        {D3DRS_SPECULARENABLE, FALSE}, {D3DRS_STENCILENABLE, FALSE},
        {D3DRS_TEXTUREFACTOR, 0xFFFFFFFFu}, {D3DRS_LIGHTING, TRUE}, {D3DRS_AMBIENT, 0},
        {D3DRS_COLORVERTEX, TRUE}, {D3DRS_LOCALVIEWER, TRUE},
        {D3DRS_NORMALIZENORMALS, FALSE}, {D3DRS_DIFFUSEMATERIALSOURCE, D3DMCS_COLOR1},
        {D3DRS_SPECULARMATERIALSOURCE, D3DMCS_COLOR2},
        {D3DRS_AMBIENTMATERIALSOURCE, D3DMCS_MATERIAL},
        {D3DRS_EMISSIVEMATERIALSOURCE, D3DMCS_MATERIAL}, {D3DRS_MULTISAMPLEANTIALIAS, TRUE},
        {D3DRS_COLORWRITEENABLE, 0xF}, {D3DRS_BLENDOP, D3DBLENDOP_ADD},
    };
    for (const auto& [state, value] : renderStates)
        EXPECT_EQ(D3DRenderStateValueName(state, s.RenderState(state)),
                  D3DRenderStateValueName(state, value))
            << D3DRenderStateName(state);

    // Stage 0 modulates the texture by the diffuse colour and takes the
    // texture's alpha; every later stage is off.
    struct StageState {
        DWORD stage;
        D3DTEXTURESTAGESTATETYPE type;
        DWORD value;
    };
    const StageState stageStates[] = {
        {0, D3DTSS_COLOROP, D3DTOP_MODULATE},    {0, D3DTSS_COLORARG1, D3DTA_TEXTURE},
        {0, D3DTSS_COLORARG2, D3DTA_CURRENT},    {0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1},
        {0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE},    {0, D3DTSS_ALPHAARG2, D3DTA_CURRENT},
        {0, D3DTSS_TEXCOORDINDEX, 0},            {1, D3DTSS_COLOROP, D3DTOP_DISABLE},
        {1, D3DTSS_ALPHAOP, D3DTOP_DISABLE},     {7, D3DTSS_TEXCOORDINDEX, 7},
    };
    for (const auto& [stage, type, value] : stageStates)
        EXPECT_EQ(D3DStageStateValueName(type, s.StageState(stage, type)),
                  D3DStageStateValueName(type, value))
            << "stage " << stage << " " << D3DStageStateName(type);

    for (DWORD sampler : {0u, 15u}) {
        for (auto type : {D3DSAMP_ADDRESSU, D3DSAMP_ADDRESSV, D3DSAMP_ADDRESSW})
            EXPECT_EQ(s.SamplerState(sampler, type), static_cast<DWORD>(D3DTADDRESS_WRAP));
        EXPECT_EQ(s.SamplerState(sampler, D3DSAMP_MAGFILTER), static_cast<DWORD>(D3DTEXF_POINT));
        EXPECT_EQ(s.SamplerState(sampler, D3DSAMP_MINFILTER), static_cast<DWORD>(D3DTEXF_POINT));
        EXPECT_EQ(s.SamplerState(sampler, D3DSAMP_MIPFILTER), static_cast<DWORD>(D3DTEXF_NONE));
        EXPECT_EQ(s.SamplerState(sampler, D3DSAMP_BORDERCOLOR), 0u);
    }

    const D3DMATRIX identity = D3DIdentityMatrix();
    for (const D3DMATRIX* m : {&s.world, &s.view, &s.projection})
        EXPECT_EQ(std::memcmp(m, &identity, sizeof identity), 0);
    const D3DVIEWPORT9& vp = s.viewport;
    EXPECT_TRUE(vp.X == 0 && vp.Y == 0 && vp.Width == 800 && vp.Height == 600 && vp.MinZ == 0.0f &&
                vp.MaxZ == 1.0f);
    const D3DMATERIAL9 black{};
    EXPECT_EQ(std::memcmp(&s.material, &black, sizeof black), 0) << "the material is all zero";
    // Every light: white diffuse, directional along +z, off.
    const D3DLIGHT9& light = s.lights[7];
    EXPECT_EQ(light.Type, D3DLIGHT_DIRECTIONAL);
    EXPECT_TRUE(light.Diffuse.r == 1.0f && light.Diffuse.g == 1.0f && light.Diffuse.b == 1.0f &&
                light.Diffuse.a == 0.0f);
    EXPECT_TRUE(light.Direction.x == 0.0f && light.Direction.y == 0.0f &&
                light.Direction.z == 1.0f);
    EXPECT_EQ(s.lightEnabled[0], FALSE);
    EXPECT_EQ(s.fvf, 0u);

    // Without an automatic depth buffer depth testing starts off.
    s.ResetToDefaults(false, 800, 600);
    EXPECT_EQ(s.RenderState(D3DRS_ZENABLE), static_cast<DWORD>(D3DZB_FALSE));
}
