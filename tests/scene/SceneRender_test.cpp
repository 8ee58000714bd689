// One frame of the main scene on the recording device: the cells visited
// column by column with the state restored between them, the hover test with
// its edges, and the click that breeds under a cooldown.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <utility>
#include <vector>

#include "scene/SceneRig.h"

namespace {

const int kVisitOrder[kPopulationSize] = {0, 3, 6, 1, 4, 7, 2, 5, 8};

// The draws of one cell: its shape's indexed draws, then its screen quads.
struct CellDraws {
    std::vector<CRecordedDraw> shape;
    std::vector<CRecordedDraw> quads;
};

// The draws of a frame, cell by cell.
std::vector<CellDraws> Frame(CSceneRig& rig) {
    std::vector<CellDraws> cells;
    for (const CRecordedDraw& draw : rig.Frame()) {
        if (cells.empty() || (draw.indexed && !cells.back().quads.empty())) cells.emplace_back();
        (draw.indexed ? cells.back().shape : cells.back().quads).push_back(draw);
    }
    EXPECT_EQ(cells.size(), 9u);
    cells.resize(9);
    return cells;
}

// The cell a frame highlighted (-1: none) and its highlight, the one quad
// drawn without a texture.
std::pair<int, CRecordedDraw> Highlight(CSceneRig& rig) {
    std::pair<int, CRecordedDraw> lit{-1, {}};
    const std::vector<CellDraws> cells = Frame(rig);
    for (int visit = 0; visit < 9; ++visit) {
        for (const CRecordedDraw& quad : cells[visit].quads) {
            if (quad.state.textures[0] != nullptr) continue;
            EXPECT_EQ(lit.first, -1) << "two cells lit";
            lit = {kVisitOrder[visit], quad};
        }
    }
    return lit;
}

class SceneRenderTest : public ::testing::Test {
protected:
    CSceneRig rig;
    CTestScene& scene = rig.scene;
};

TEST_F(SceneRenderTest, VisitsCellsColumnByColumnWithTheStateRestored) {
    rig.win32.clock.now = 1256;  // 2 radians about X, 0.5 about Z
    const std::vector<CellDraws> cells = Frame(rig);
    const std::string target = RecordingLabel(scene.shapeTarget.GetTexture()) + ".level0";
    for (int visit = 0; visit < 9; ++visit) {
        const int k = kVisitOrder[visit];
        SCOPED_TRACE("cell " + std::to_string(k));
        ASSERT_EQ(cells[visit].shape.size(), 63u);
        const CRecordedDraw& first = cells[visit].shape.front();
        const D3DDeviceState& state = first.state;
        EXPECT_EQ(state.streamSource, scene.shapes[k].vertexBuffer);
        EXPECT_EQ(first.renderTarget, target);
        EXPECT_TRUE(state.RenderState(D3DRS_CULLMODE) == D3DCULL_CW &&
                    state.RenderState(D3DRS_ALPHABLENDENABLE) == FALSE &&
                    state.RenderState(D3DRS_ZENABLE) == D3DZB_TRUE);
        // World = RotationX(t) * RotationZ(t / 4), t = ms / 628.
        EXPECT_NEAR(state.world._12, std::sin(0.5f), 1e-6);
        EXPECT_NEAR(state.world._23, std::sin(2.0f), 1e-6);
        // Square targets: aspect 1 whatever the window.
        EXPECT_EQ(state.projection._11, state.projection._22);
    }
    EXPECT_EQ(RecordingLabel(rig.rec.State().renderTarget), "backbuffer");
    EXPECT_EQ(rig.rec.State().RenderState(D3DRS_CULLMODE), DWORD{D3DCULL_CCW});
}

struct HoverCase {
    int width;
    LONG x, y;
    int cell;  // -1: none
};
// Names the case in test listings ("800 wide at 100,0").
void PrintTo(const HoverCase& c, std::ostream* out) {
    *out << c.width << " wide at " << c.x << "," << c.y;
}

class SceneHoverTest : public ::testing::TestWithParam<HoverCase> {};

TEST_P(SceneHoverTest, PointerLightsTheCellItIsOverAdditively) {
    const HoverCase& c = GetParam();
    CSceneRig rig(c.width);
    rig.win32.input.cursor = POINT{c.x, c.y};  // in client pixels
    const auto [lit, highlight] = Highlight(rig);
    ASSERT_EQ(lit, c.cell);
    if (lit < 0) return;
    const auto x = static_cast<float>((c.width - 600) / 2 + 200 * (lit % 3));
    const auto y = static_cast<float>(200 * (lit / 3));
    const std::vector<ScreenVertex> v = QuadVertices(highlight);
    ASSERT_EQ(v.size(), 4u);
    EXPECT_TRUE(v[0].x == x + 200 && v[0].y == y && v[2].x == x && v[2].y == y + 200);
    EXPECT_EQ(highlight.state.RenderState(D3DRS_ALPHABLENDENABLE), DWORD{TRUE});
    EXPECT_EQ(highlight.state.RenderState(D3DRS_SRCBLEND), DWORD{D3DBLEND_ONE});
    EXPECT_EQ(v[0].color, 0xFF333333u);  // frame counter 0
}

// 599 wide: offset (599 - 600) / 2 = 0; 598: offset -1.
INSTANTIATE_TEST_SUITE_P(
    Edges, SceneHoverTest,
    ::testing::ValuesIn(std::vector<HoverCase>{
        {800, 100, 0, 0}, {800, 99, 0, -1}, {800, 300, 0, 1}, {800, 299, 199, 0},
        {800, 100, 200, 3}, {800, 699, 599, 8}, {800, 700, 300, -1}, {800, 400, 600, -1},
        {599, 0, 0, 0}, {599, 200, 0, 1}, {598, -1, 0, 0}, {598, 199, 0, 1}, {598, -2, 0, -1}}));

TEST_F(SceneRenderTest, HighlightGreyPulsesWithTheFrameCounterAndIsTruncated) {
    // grey = 255 * (0.2 + 0.1 sin(frameCounter / 30)) truncated: 0 at rest,
    // 47 near the crest, 141 near the trough (25.50 gives 25, not 26), 200
    // on the way up again (60.54 gives 60).
    const std::pair<int, DWORD> cases[] = {{0, 0x33}, {47, 0x4C}, {141, 0x19}, {200, 0x3C}};
    rig.win32.input.cursor = POINT{400, 300};
    for (const auto& [counter, grey] : cases) {
        scene.frameCounter = counter;
        const auto [lit, highlight] = Highlight(rig);
        ASSERT_EQ(lit, 4);
        const std::vector<ScreenVertex> v = QuadVertices(highlight);
        ASSERT_EQ(v.size(), 4u);
        EXPECT_EQ(v[0].color, 0xFF000000u | grey * 0x010101u) << "frame counter " << counter;
    }
}

TEST_F(SceneRenderTest, ClickOnTheCentreBreedsMidFrameThenWaitsOutTheCooldown) {
    D3DMATERIAL9 old[kPopulationSize];
    for (int k = 0; k < kPopulationSize; ++k) old[k] = scene.shapes[k].material;
    const Genome parent = scene.genomes[4];
    rig.win32.input.cursor = POINT{400, 300};
    rig.win32.input.SetKey(VK_LBUTTON, true);
    CScriptedRandom random({}, 32767);
    const std::vector<CellDraws> cells = Frame(rig);
    EXPECT_EQ(random.Taken(), 63u);
    EXPECT_TRUE(SameGenes(scene.genomes[4], parent));
    // Cells 0, 3, 6, 1 and the clicked 4 are drawn before the click.
    for (int visit = 0; visit < 9; ++visit) {
        const int k = kVisitOrder[visit];
        const float drawn = cells[visit].shape.front().state.material.Diffuse.r;
        EXPECT_EQ(drawn, visit <= 4 ? old[k].Diffuse.r : 1.0f) << "cell " << k;
    }
    // Neither highlight nor click until the cooldown has run out.
    for (int tick = 1; tick < kClickCooldownTicks; ++tick) {
        scene.Update();
        EXPECT_EQ(Highlight(rig).first, -1);
    }
    EXPECT_EQ(random.Taken(), 63u);
    scene.Update();
    EXPECT_EQ(Highlight(rig).first, 4);
    EXPECT_EQ(random.Taken(), 126u);
}

}  // namespace
