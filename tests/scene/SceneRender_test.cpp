// One frame of the main scene on the recording device: the cells visited
// column by column with the state restored between them, the hover test with
// its edges, and the click that breeds under a cooldown.
#include <gtest/gtest.h>

#include <cmath>
#include <optional>
#include <string>
#include <vector>

#include "scene/SceneRig.h"
#include "support/ScriptedRandom.h"

namespace {

const int kVisitOrder[kPopulationSize] = {0, 3, 6, 1, 4, 7, 2, 5, 8};

// The draws of one cell: its shape's indexed draws, then its screen quads.
struct CellDraws {
    std::vector<CRecordedDraw> shape;
    std::vector<CRecordedDraw> quads;
};

std::vector<CellDraws> SplitByCell(const std::vector<CRecordedDraw>& draws) {
    std::vector<CellDraws> cells;
    for (const CRecordedDraw& draw : draws) {
        if (cells.empty() || (draw.indexed && !cells.back().quads.empty())) cells.emplace_back();
        (draw.indexed ? cells.back().shape : cells.back().quads).push_back(draw);
    }
    return cells;
}

// The highlight is the one quad drawn without a texture.
const CRecordedDraw* Highlight(const CellDraws& cell) {
    for (const CRecordedDraw& quad : cell.quads) {
        if (quad.state.textures[0] == nullptr) return &quad;
    }
    return nullptr;
}

void ExpectCorners(const CRecordedDraw& quad, float x0, float y0, float x2, float y2) {
    const std::vector<ScreenVertex> v = QuadVertices(quad);
    ASSERT_EQ(v.size(), 4u);
    EXPECT_EQ(v[0].x, x0);
    EXPECT_EQ(v[0].y, y0);
    EXPECT_EQ(v[2].x, x2);
    EXPECT_EQ(v[2].y, y2);
}

// A scene set up on the recording device with a varied first generation
// and rates 0, so that a Breed takes exactly 63 draws.
class CSceneUnderTest {
public:
    explicit CSceneUnderTest(int width = 800) : rig(width, 600) {
        std::vector<int> draws;
        for (int i = 0; i < 243; ++i) draws.push_back((i * 6151 + 11) % 32768);
        CScriptedRandom spread(draws);
        scene.InitWithRates(&rig.context, 0, 0);
    }

    std::vector<CellDraws> Frame() {
        std::vector<CellDraws> cells = SplitByCell(rig.Frame(scene));
        EXPECT_EQ(cells.size(), 9u);
        cells.resize(9);
        return cells;
    }

    // The cell whose highlight a frame drew, or nothing; at most one.
    std::optional<int> LitCell() {
        const std::vector<CellDraws> cells = Frame();
        std::optional<int> lit;
        for (int visit = 0; visit < 9; ++visit) {
            if (Highlight(cells[visit]) == nullptr) continue;
            EXPECT_FALSE(lit.has_value()) << "two cells lit";
            lit = kVisitOrder[visit];
        }
        return lit;
    }

    CSceneRig rig;
    CTestScene scene;
};

class SceneRenderTest : public ::testing::Test, protected CSceneUnderTest {};

TEST_F(SceneRenderTest, VisitsCellsColumnByColumnWithTheStateRestored) {
    rig.win32.clock.now = 1256;  // 2 radians about X, 0.5 about Z
    const std::vector<CellDraws> cells = Frame();
    for (int visit = 0; visit < 9; ++visit) {
        const int k = kVisitOrder[visit];
        SCOPED_TRACE("cell " + std::to_string(k));
        ASSERT_EQ(cells[visit].shape.size(), 63u);
        const D3DDeviceState& state = cells[visit].shape.front().state;
        EXPECT_EQ(state.streamSource, scene.shapes[k].vertexBuffer);
        EXPECT_EQ(state.renderTarget, TargetSurface(scene.shapeTarget));
        EXPECT_EQ(state.RenderState(D3DRS_CULLMODE), DWORD{D3DCULL_CW});
        EXPECT_EQ(state.RenderState(D3DRS_ALPHABLENDENABLE), DWORD{FALSE});
        EXPECT_EQ(state.RenderState(D3DRS_ZENABLE), DWORD{D3DZB_TRUE});
        // World = RotationX(t) * RotationZ(t / 4), t = ms / 628.
        EXPECT_NEAR(state.world._12, std::sin(0.5f), 1e-6);
        EXPECT_NEAR(state.world._13, 0.0f, 1e-6);
        EXPECT_NEAR(state.world._23, std::sin(2.0f), 1e-6);
        // Square targets: aspect 1 whatever the window.
        EXPECT_EQ(state.projection._11, state.projection._22);
    }
    EXPECT_EQ(rig.journal->Count("Clear"), 9u);
    const D3DDeviceState& end = rig.rec.State();
    EXPECT_EQ(end.renderTarget, scene.shapeTarget.GetSavedTarget());
    EXPECT_EQ(end.RenderState(D3DRS_CULLMODE), DWORD{D3DCULL_CCW});
    EXPECT_EQ(end.RenderState(D3DRS_DESTBLEND), DWORD{D3DBLEND_ONE});
    EXPECT_EQ(end.StageState(0, D3DTSS_ALPHAOP), DWORD{D3DTOP_MODULATE});
}

struct HoverCase {
    int width;
    LONG x, y;
    int cell;  // -1: none
};

class SceneHoverTest : public ::testing::TestWithParam<HoverCase> {};

TEST_P(SceneHoverTest, PointerLightsTheCellItIsOverAdditively) {
    const HoverCase& c = GetParam();
    CSceneUnderTest under(c.width);
    under.rig.Pointer(c.x, c.y);
    const std::vector<CellDraws> cells = under.Frame();
    int lit = -1;
    for (int visit = 0; visit < 9; ++visit) {
        const CRecordedDraw* highlight = Highlight(cells[visit]);
        if (highlight == nullptr) continue;
        ASSERT_EQ(lit, -1) << "two cells lit";
        lit = kVisitOrder[visit];
        const float x = static_cast<float>((c.width - 600) / 2 + 200 * (lit % 3));
        const float y = static_cast<float>(200 * (lit / 3));
        ExpectCorners(*highlight, x + 200, y, x, y + 200);
        EXPECT_EQ(highlight->state.RenderState(D3DRS_ALPHABLENDENABLE), DWORD{TRUE});
        EXPECT_EQ(highlight->state.RenderState(D3DRS_SRCBLEND), DWORD{D3DBLEND_ONE});
        EXPECT_EQ(QuadVertices(*highlight)[0].color, 0xFF333333u);  // frame counter 0
    }
    EXPECT_EQ(lit, c.cell);
}

INSTANTIATE_TEST_SUITE_P(Edges, SceneHoverTest,
                         ::testing::Values(HoverCase{800, 100, 0, 0}, HoverCase{800, 99, 0, -1},
                                           HoverCase{800, 300, 0, 1}, HoverCase{800, 299, 199, 0},
                                           HoverCase{800, 100, 200, 3}, HoverCase{800, 699, 599, 8},
                                           HoverCase{800, 700, 300, -1},
                                           HoverCase{800, 400, 600, -1},
                                           // 599: offset (599 - 600) / 2 = 0; 598: offset -1.
                                           HoverCase{599, 0, 0, 0}, HoverCase{599, 200, 0, 1},
                                           HoverCase{598, -1, 0, 0}, HoverCase{598, 199, 0, 1},
                                           HoverCase{598, -2, 0, -1}));

TEST_F(SceneRenderTest, ClickOnTheCentreShowsTheNewGenerationInTheLaterCells) {
    D3DMATERIAL9 old[kPopulationSize];
    for (int k = 0; k < kPopulationSize; ++k) old[k] = scene.shapes[k].material;
    const Genome parent = scene.genomes[4];
    rig.Pointer(400, 300);
    rig.Button(true);
    CScriptedRandom random({}, 32767);
    const std::vector<CellDraws> cells = Frame();
    EXPECT_EQ(random.Taken(), 63u);
    EXPECT_EQ(scene.ClickCooldown(), kClickCooldownTicks);
    for (int i = 0; i < kGenomeSize; ++i) EXPECT_EQ(scene.genomes[4].genes[i], parent.genes[i]);
    // Cells 0, 3, 6, 1 and the clicked 4 are drawn before the click.
    for (int visit = 0; visit < 9; ++visit) {
        const int k = kVisitOrder[visit];
        const float drawn = cells[visit].shape.front().state.material.Diffuse.r;
        EXPECT_EQ(drawn, visit <= 4 ? old[k].Diffuse.r : 1.0f) << "cell " << k;
    }
}

TEST_F(SceneRenderTest, CooldownSuppressesHighlightAndClickUntilItRunsOut) {
    rig.Pointer(400, 300);
    rig.Button(true);
    CScriptedRandom random({}, 0);
    EXPECT_EQ(LitCell(), 4);
    const std::size_t afterClick = random.Taken();
    for (int tick = 1; tick < kClickCooldownTicks; ++tick) {
        scene.Update();
        EXPECT_FALSE(LitCell().has_value());
    }
    EXPECT_EQ(random.Taken(), afterClick);
    scene.Update();
    EXPECT_EQ(LitCell(), 4);
    EXPECT_EQ(random.Taken(), 2 * afterClick);
}

}  // namespace
