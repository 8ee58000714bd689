#include "gfx/CDX2DPolygon.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <string>

#include "platform/d3d9/d3dx9.h"
#include "support/RecordingFixture.h"

namespace {

// "x,y u,v" for each corner as sent.
std::string Corners(const CRecordedDraw& draw) {
    std::string text;
    for (const ScreenVertex& v : QuadVertices(draw)) {
        char corner[64];
        std::snprintf(corner, sizeof corner, "%g,%g %g,%g | ", v.x, v.y, v.u, v.v);
        text += corner;
    }
    return text;
}

TEST_F(RecordingTest, QuadCornersTextureAndTheStateEveryDrawLeaves) {
    IDirect3DTexture9* texture = nullptr;
    rec.device->CreateTexture(16, 16, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture, nullptr);
    CDX2DPolygon quad, bare;  // `bare` has no texture of its own
    quad.SetContext(&rec.context);
    bare.SetContext(&rec.context);
    ASSERT_EQ(quad.CreateEmptyTexture(8, 8), D3D_OK);
    const std::string label = RecordingLabel(texture);
    const D3DCOLOR color = 0x80402010u;
    struct Case {
        std::function<HRESULT()> draw;
        float rhw;
        std::string texture0;  // on stage 0 during the draw
        const char* corners;   // right-top, right-bottom, left-bottom, left-top
    };
    const Case cases[] = {
        {[&] { return quad.DrawRect(10, 20, 30, 40, color); }, 0.0f, "null",
         "40,20 0,0 | 40,60 0,0 | 10,60 0,0 | 10,20 0,0 | "},
        {[&] { return quad.DrawTexture(texture, 0, 0, 256, 256, 0, 0, color); }, 1.0f, label,
         "256,0 1,0 | 256,256 1,1 | 0,256 0,1 | 0,0 0,0 | "},
        // Negative sizes mirror both axes: a half turn.
        {[&] { return quad.DrawTexture(texture, 64, 64, -64, -64, 0, 0, color); }, 1.0f, label,
         "0,64 1,0 | 0,0 1,1 | 64,0 0,1 | 64,64 0,0 | "},
        {[&] { return quad.DrawTextureUV(texture, 0, 0, 256, 256, 0, 0, 0.25f, 0.25f, color); },
         1.0f, label, "256,0 0.25,0 | 256,256 0.25,0.25 | 0,256 0,0.25 | 0,0 0,0 | "},
        {[&] { return quad.Draw(1, 2, 3, 4, 0, 0, color); }, 1.0f,
         RecordingLabel(quad.GetTexture()), "4,2 1,0 | 4,6 1,1 | 1,6 0,1 | 1,2 0,0 | "},
        {[&] { return bare.Draw(1, 2, 3, 4, 0, 0, color); }, 1.0f, "null",
         "4,2 1,0 | 4,6 1,1 | 1,6 0,1 | 1,2 0,0 | "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.corners);
        rec.device->SetRenderState(D3DRS_ZWRITEENABLE, FALSE);
        rec.device->SetTexture(0, texture);
        EXPECT_EQ(c.draw(), D3D_OK);
        const CRecordedDraw& draw = rec.callLog->draws.back();
        EXPECT_TRUE(draw.type == D3DPT_TRIANGLEFAN && draw.primitiveCount == 2 &&
                    draw.vertexStride == 28 && draw.state.fvf == 324);
        EXPECT_EQ(Corners(draw), c.corners);
        for (const ScreenVertex& v : QuadVertices(draw)) {
            EXPECT_TRUE(v.z == 0.0f && v.rhw == c.rhw && v.color == color);
        }
        EXPECT_EQ(draw.texture0, c.texture0);
        EXPECT_EQ(draw.state.RenderState(D3DRS_ZWRITEENABLE), 0u);
        // Behind every draw: Z writes on and stage 0 empty.
        EXPECT_EQ(rec.State().RenderState(D3DRS_ZWRITEENABLE), 1u);
        EXPECT_EQ(rec.State().textures[0], nullptr);
    }
    EXPECT_EQ(texture->Release(), 0u) << "the borrowed texture gained a reference";
}

TEST_F(RecordingTest, QuadNamesTooLongForThePathAreRefusedUntouched) {
    CDX2DPolygon quad;
    quad.SetContext(&rec.context);
    ASSERT_EQ(quad.CreateEmptyTexture(4, 4), D3D_OK);
    IDirect3DTexture9* held = quad.GetTexture();
    rec.callLog->ClearLog();
    // "img/" plus 1019 characters fills the 1024-byte buffer with its end.
    EXPECT_EQ(quad.LoadTexture(std::string(1020, 'a').c_str()), E_INVALIDARG);
    EXPECT_TRUE(rec.callLog->calls.empty());
    EXPECT_EQ(quad.GetTexture(), held);
    EXPECT_EQ(quad.LoadTexture(std::string(1019, 'a').c_str()), D3DXERR_INVALIDDATA)
        << "tried, and missing";
}

}  // namespace
