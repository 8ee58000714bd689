#include "gfx/CDX2DPolygon.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "platform/d3d9/d3dx9.h"
#include "support/RecordingFixture.h"

namespace {

class QuadTest : public RecordingTest {
protected:
    QuadTest() { quad.SetContext(&rec.context); }

    IDirect3DTexture9* MakeTexture() {
        IDirect3DTexture9* texture = nullptr;
        rec.device->CreateTexture(16, 16, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture,
                                  nullptr);
        return texture;
    }

    std::vector<ScreenVertex> LastVertices() const {
        const CRecordedDraw& draw = rec.journal->draws.back();
        std::vector<ScreenVertex> vertices(draw.vertices.size() / sizeof(ScreenVertex));
        std::memcpy(vertices.data(), draw.vertices.data(), vertices.size() * sizeof(ScreenVertex));
        return vertices;
    }

    CDX2DPolygon quad;
};

struct Corner {
    float x, y, u, v;
};

}  // namespace

TEST_F(QuadTest, CornersAndTextureWindowsFollowTheQuadTable) {
    IDirect3DTexture9* texture = MakeTexture();
    struct Case {
        const char* what;
        std::function<void()> draw;
        float rhw;
        Corner corners[4];
    };
    const Case cases[] = {
        {"flat rectangle", [&] { quad.DrawRect(10, 20, 30, 40, 0x80402010u); }, 0.0f,
         {{40, 20, 0, 0}, {40, 60, 0, 0}, {10, 60, 0, 0}, {10, 20, 0, 0}}},
        {"whole texture", [&] { quad.DrawTexture(texture, 0, 0, 256, 256, 0, 0, 0x80402010u); },
         1.0f, {{256, 0, 1, 0}, {256, 256, 1, 1}, {0, 256, 0, 1}, {0, 0, 0, 0}}},
        {"half turn",
         [&] { quad.DrawTexture(texture, 64, 64, -64, -64, 0, 0, 0x80402010u); }, 1.0f,
         {{0, 64, 1, 0}, {0, 0, 1, 1}, {64, 0, 0, 1}, {64, 64, 0, 0}}},
        {"top-left sixteenth",
         [&] { quad.DrawTextureUV(texture, 0, 0, 256, 256, 0, 0, 0.25f, 0.25f, 0x80402010u); },
         1.0f, {{256, 0, 0.25f, 0}, {256, 256, 0.25f, 0.25f}, {0, 256, 0, 0.25f}, {0, 0, 0, 0}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        c.draw();
        const CRecordedDraw& draw = rec.journal->draws.back();
        EXPECT_EQ(draw.type, D3DPT_TRIANGLEFAN);
        EXPECT_EQ(draw.primitiveCount, 2u);
        EXPECT_EQ(draw.vertexStride, 28u);
        EXPECT_EQ(draw.state.fvf, 324u);
        const std::vector<ScreenVertex> vertices = LastVertices();
        ASSERT_EQ(vertices.size(), 4u);
        for (int i = 0; i < 4; ++i) {
            SCOPED_TRACE(i);
            EXPECT_EQ(vertices[i].x, c.corners[i].x);
            EXPECT_EQ(vertices[i].y, c.corners[i].y);
            EXPECT_EQ(vertices[i].u, c.corners[i].u);
            EXPECT_EQ(vertices[i].v, c.corners[i].v);
            EXPECT_EQ(vertices[i].z, 0.0f);
            EXPECT_EQ(vertices[i].rhw, c.rhw);
            EXPECT_EQ(vertices[i].color, 0x80402010u);
        }
    }
    texture->Release();
}

TEST_F(QuadTest, EveryDrawLeavesZWritesOnAndStageZeroEmpty) {
    IDirect3DTexture9* texture = MakeTexture();
    const std::string label = RecordingLabel(texture);
    // With no own texture, Draw leaves stage 0 empty.
    EXPECT_EQ(quad.Draw(0, 0, 8, 8, 0, 0, 0xFFFFFFFFu), D3D_OK);
    EXPECT_EQ(rec.journal->draws.back().texture0, "null");
    ASSERT_EQ(quad.CreateEmptyTexture(8, 8), D3D_OK);
    IDirect3DTexture9* own = quad.GetTexture();
    struct Case {
        const char* what;
        std::function<HRESULT()> draw;
        std::string texture0;  // on stage 0 during the draw
    };
    const Case cases[] = {
        {"DrawRect", [&] { return quad.DrawRect(1, 2, 3, 4, 0); }, "null"},
        {"DrawTextureUV",
         [&] { return quad.DrawTextureUV(texture, 1, 2, 3, 4, 0, 0, 1, 1, 0); }, label},
        {"DrawTexture", [&] { return quad.DrawTexture(texture, 1, 2, 3, 4, 0, 0, 0); }, label},
        {"Draw", [&] { return quad.Draw(1, 2, 3, 4, 0, 0, 0); }, RecordingLabel(own)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        rec.device->SetRenderState(D3DRS_ZWRITEENABLE, FALSE);
        rec.device->SetTexture(0, texture);
        EXPECT_EQ(c.draw(), D3D_OK);
        const CRecordedDraw& draw = rec.journal->draws.back();
        EXPECT_EQ(draw.texture0, c.texture0);
        EXPECT_EQ(draw.state.RenderState(D3DRS_ZWRITEENABLE), 0u);
        EXPECT_EQ(rec.State().RenderState(D3DRS_ZWRITEENABLE), 1u);
        EXPECT_EQ(rec.State().textures[0], nullptr);
    }
    // The borrowed texture gained no reference.
    EXPECT_EQ(texture->Release(), 0u);
}

TEST_F(QuadTest, NamesTooLongForThePathAreRefusedUntouched) {
    ASSERT_EQ(quad.CreateEmptyTexture(4, 4), D3D_OK);
    IDirect3DTexture9* held = quad.GetTexture();
    rec.journal->ClearLog();
    // "img/" plus 1019 characters fills the 1024-byte buffer with its end.
    const std::string longest(1019, 'a');
    const std::string tooLong(1020, 'a');
    EXPECT_EQ(quad.LoadTexture(tooLong.c_str()), E_INVALIDARG);
    EXPECT_EQ(quad.LoadTexture(nullptr), E_INVALIDARG);
    EXPECT_TRUE(rec.journal->calls.empty());
    EXPECT_EQ(quad.GetTexture(), held);
    EXPECT_EQ(quad.LoadTexture(longest.c_str()), D3DXERR_INVALIDDATA) << "tried, and missing";
}
