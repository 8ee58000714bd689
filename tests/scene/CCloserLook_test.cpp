// The closer look on the recording device: the shape is drawn through
// targets of the largest square the client area holds (remade when that
// changes) and composited centred, on a cleared back buffer, magnified by
// the zoom.
#include "scene/CCloserLook.h"

#include <gtest/gtest.h>

#include <vector>

#include "support/RecordingFixture.h"

namespace {

struct LookCase {
    int width, height;
    UINT side;
    float left, top;
    float zoom;
};
void PrintTo(const LookCase& c, std::ostream* out) {
    *out << c.width << " x " << c.height << " zoom " << c.zoom;
}

class CloserLookTest : public ::testing::TestWithParam<LookCase> {};

TEST_P(CloserLookTest, DrawsTheShapeInTheLargestCentredSquare) {
    const LookCase& c = GetParam();
    CRecordingFixture rec(static_cast<UINT>(c.width), static_cast<UINT>(c.height));
    CSuperShape shape;
    shape.Create(&rec.context);
    shape.BuildMesh();
    CCloserLook look;
    // Fitted to another window first: the targets follow the window's size.
    ASSERT_EQ(look.Fit(&rec.context, 64, 64), 0);
    ASSERT_EQ(look.Fit(&rec.context, c.width, c.height), 0);
    D3DXMATRIX world;
    D3DXMatrixIdentity(&world);
    rec.callLog->ClearLog();
    look.Render(shape, world, c.zoom);

    const std::string picture = RecordingLabel(look.Picture().GetTexture()) + ".level0";
    D3DSURFACE_DESC desc{};
    look.Picture().GetTexture()->GetLevelDesc(0, &desc);
    EXPECT_TRUE(desc.Width == c.side && desc.Height == c.side);
    const std::vector<CRecordedDraw>& draws = rec.callLog->draws;
    ASSERT_GT(draws.size(), 2u);
    EXPECT_EQ(draws.front().renderTarget, picture);
    // The grid's square projection, magnified.
    D3DXMATRIX grid;
    D3DXMatrixPerspectiveFovLH(&grid, 0.7853982f, 1.0f, 0.001f, 300.0f);
    EXPECT_FLOAT_EQ(draws.front().state.projection._11, grid._11 * c.zoom);
    EXPECT_FLOAT_EQ(draws.front().state.projection._22, grid._22 * c.zoom);
    // The glow shrinks to a quarter of its targets, which are half the
    // square's size past 768 pixels.
    const UINT glowSide = c.side > 768 ? c.side / 2 : c.side;
    look.Glow().GetTexture()->GetLevelDesc(0, &desc);
    EXPECT_EQ(desc.Width, glowSide);
    const std::vector<ScreenVertex> shrink = QuadVertices(draws[64]);
    ASSERT_EQ(shrink.size(), 4u);
    EXPECT_FLOAT_EQ(shrink[1].x, static_cast<float>(glowSide) / 4);
    // Picture and glow go over the square of the back buffer, after a clear.
    for (std::size_t k = draws.size() - 2; k < draws.size(); ++k) {
        EXPECT_EQ(draws[k].renderTarget, "backbuffer");
        const std::vector<ScreenVertex> v = QuadVertices(draws[k]);
        ASSERT_EQ(v.size(), 4u);
        EXPECT_TRUE(v[2].x == c.left && v[0].y == c.top && v[0].x == c.left + c.side &&
                    v[2].y == c.top + c.side)
            << v[2].x << "," << v[0].y << " to " << v[0].x << "," << v[2].y;
    }
    EXPECT_EQ(rec.callLog->Count("Clear"), 2u);  // the picture's and the back buffer's
    EXPECT_EQ(rec.State().RenderState(D3DRS_ALPHABLENDENABLE), DWORD{FALSE});
}

INSTANTIATE_TEST_SUITE_P(ClientSizes, CloserLookTest,
                         ::testing::ValuesIn(std::vector<LookCase>{
                             {800, 600, 600, 100, 0, 1.0f},
                             {600, 800, 600, 0, 100, 2.0f},
                             {150, 100, 100, 25, 0, 0.5f},  // smaller than a cell's target
                             {1921, 1080, 1080, 420, 0, 4.0f},  // the odd pixel goes right
                         }));

}  // namespace
