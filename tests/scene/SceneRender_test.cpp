// One frame of the main scene on the recording device: the camera, the cells
// visited column by column, the glow passes, the composite, the hover test
// with its edges, the pulsing highlight, the click that breeds, and the state
// left behind.
#include <gtest/gtest.h>

#include <cmath>
#include <optional>
#include <string>
#include <vector>

#include "scene/SceneRig.h"
#include "support/ScriptedRandom.h"

namespace {

constexpr D3DCOLOR kComposite = 0xFF999999u;
constexpr D3DCOLOR kWhite = 0xFFFFFFFFu;

// The draws of one cell: its shape's indexed draws, then its screen quads.
struct CellDraws {
    std::vector<CRecordedDraw> shape;
    std::vector<CRecordedDraw> quads;
};

std::vector<CellDraws> SplitByCell(const std::vector<CRecordedDraw>& draws) {
    std::vector<CellDraws> cells;
    for (const CRecordedDraw& draw : draws) {
        if (draw.indexed && (cells.empty() || !cells.back().quads.empty())) cells.emplace_back();
        if (cells.empty()) cells.emplace_back();
        (draw.indexed ? cells.back().shape : cells.back().quads).push_back(draw);
    }
    return cells;
}

// The highlight is the one quad drawn with no texture.
std::vector<CRecordedDraw> Highlights(const CellDraws& cell) {
    std::vector<CRecordedDraw> found;
    for (const CRecordedDraw& quad : cell.quads) {
        if (quad.state.textures[0] == nullptr) found.push_back(quad);
    }
    return found;
}

const int kVisitOrder[kPopulationSize] = {0, 3, 6, 1, 4, 7, 2, 5, 8};

class SceneRenderTest : public ::testing::Test {
protected:
    explicit SceneRenderTest(int width = 800, int height = 600) : rig(width, height) {}

    void SetUp() override {
        CScriptedRandom initDraws(Spread(243));
        scene.InitWithRates(&rig.context, 10, 50);
    }

    static std::vector<int> Spread(int count) {
        std::vector<int> draws;
        for (int i = 0; i < count; ++i) draws.push_back((i * 6151 + 11) % 32768);
        return draws;
    }

    std::vector<CellDraws> Frame() {
        std::vector<CellDraws> cells = SplitByCell(rig.Frame(scene));
        EXPECT_EQ(cells.size(), 9u);
        return cells;
    }

    // The cell (0..8) whose highlight a frame drew, or nothing.
    std::optional<int> HighlightedCell() {
        const std::vector<CellDraws> cells = Frame();
        std::optional<int> found;
        for (std::size_t visit = 0; visit < cells.size(); ++visit) {
            const std::vector<CRecordedDraw> lit = Highlights(cells[visit]);
            if (lit.empty()) continue;
            EXPECT_EQ(lit.size(), 1u);
            EXPECT_FALSE(found.has_value()) << "two cells highlighted";
            found = kVisitOrder[visit];
        }
        return found;
    }

    IDirect3DBaseTexture9* Texture(CDXRenderTexture& target) { return target.GetTexture(); }

    CSceneRig rig;
    CTestScene scene;
};

void ExpectCorners(const CRecordedDraw& quad, float x0, float y0, float u0, float v0, float x2,
                   float y2, float u2, float v2) {
    const std::vector<ScreenVertex> v = QuadVertices(quad);
    ASSERT_EQ(v.size(), 4u);
    EXPECT_EQ(v[0].x, x0);
    EXPECT_EQ(v[0].y, y0);
    EXPECT_EQ(v[0].u, u0);
    EXPECT_EQ(v[0].v, v0);
    EXPECT_EQ(v[2].x, x2);
    EXPECT_EQ(v[2].y, y2);
    EXPECT_EQ(v[2].u, u2);
    EXPECT_EQ(v[2].v, v2);
}

TEST_F(SceneRenderTest, VisitsCellsColumnByColumnIntoTheShapeTarget) {
    rig.Pointer(-1000, -1000);
    const std::vector<CellDraws> cells = Frame();
    ASSERT_EQ(cells.size(), 9u);
    for (int visit = 0; visit < 9; ++visit) {
        const int k = kVisitOrder[visit];
        SCOPED_TRACE("cell " + std::to_string(k));
        ASSERT_EQ(cells[visit].shape.size(), 63u);
        const CRecordedDraw& draw = cells[visit].shape.front();
        EXPECT_EQ(draw.state.streamSource, scene.shapes[k].vertexBuffer);
        EXPECT_EQ(draw.state.renderTarget, TargetSurface(scene.shapeTarget));
        EXPECT_EQ(draw.state.RenderState(D3DRS_CULLMODE), DWORD{D3DCULL_CW});
        // The previous cell's restore is in force: blending off, Z on.
        EXPECT_EQ(draw.state.RenderState(D3DRS_ALPHABLENDENABLE), DWORD{FALSE});
        EXPECT_EQ(draw.state.RenderState(D3DRS_ZENABLE), DWORD{D3DZB_TRUE});
        EXPECT_EQ(draw.state.material.Diffuse.g, scene.shapes[k].material.Diffuse.g);
    }
    EXPECT_EQ(rig.journal->Count("Clear"), 9u);
}

TEST_F(SceneRenderTest, CameraAndTurningWorldAreSharedByAllCells) {
    rig.win32.clock.now = 1256;  // t = 2 radians
    const std::vector<CellDraws> cells = Frame();
    ASSERT_EQ(cells.size(), 9u);
    const D3DDeviceState& state = cells[0].shape.front().state;

    const float focal = 1.0f / std::tan(0.7853982f / 2.0f);
    EXPECT_NEAR(state.projection._11, focal, 1e-5);
    EXPECT_NEAR(state.projection._22, focal, 1e-5);  // aspect 1, whatever the window
    EXPECT_NEAR(state.projection._33, 300.0f / (300.0f - 0.001f), 1e-6);
    EXPECT_EQ(state.projection._34, 1.0f);
    EXPECT_NEAR(state.projection._43, -0.001f * 300.0f / (300.0f - 0.001f), 1e-7);

    // The view takes the eye to the origin and the target straight ahead.
    const D3DMATRIX& view = state.view;
    const float eye[3] = {1.8f, 2.6f, 3.8f};
    for (int col = 0; col < 3; ++col) {
        float v = view(3, col);
        for (int row = 0; row < 3; ++row) v += eye[row] * view(row, col);
        EXPECT_NEAR(v, 0.0f, 1e-5) << "column " << col;
    }
    EXPECT_NEAR(view(3, 2), std::sqrt(1.8f * 1.8f + 2.6f * 2.6f + 3.8f * 3.8f), 1e-5);
    EXPECT_NEAR(view(3, 0), 0.0f, 1e-5);

    // World = RotationX(t) * RotationZ(t / 4).
    const D3DMATRIX& world = state.world;
    EXPECT_NEAR(world._11, std::cos(0.5f), 1e-6);
    EXPECT_NEAR(world._12, std::sin(0.5f), 1e-6);
    EXPECT_NEAR(world._13, 0.0f, 1e-6);
    EXPECT_NEAR(world._21, -std::cos(2.0f) * std::sin(0.5f), 1e-6);
    EXPECT_NEAR(world._23, std::sin(2.0f), 1e-6);
    EXPECT_NEAR(world._33, std::cos(2.0f), 1e-6);
    for (const CellDraws& cell : cells) EXPECT_EQ(cell.shape.back().state.world._23, world._23);
}

TEST_F(SceneRenderTest, GlowPassesThenPictureAndAdditiveGlowIntoTheCell) {
    rig.Pointer(-1000, -1000);
    const std::vector<CellDraws> cells = Frame();
    ASSERT_EQ(cells.size(), 9u);
    IDirect3DSurface9* glow0 = TargetSurface(scene.glowTargets[0]);
    IDirect3DSurface9* glow1 = TargetSurface(scene.glowTargets[1]);
    IDirect3DBaseTexture9* shapeTexture = Texture(scene.shapeTarget);
    IDirect3DBaseTexture9* glow0Texture = Texture(scene.glowTargets[0]);
    IDirect3DBaseTexture9* glow1Texture = Texture(scene.glowTargets[1]);

    // Cell 5 is visited eighth: column 2, row 1.
    const std::vector<CRecordedDraw>& quads = cells[7].quads;
    ASSERT_EQ(quads.size(), 11u);
    struct Pass {
        IDirect3DSurface9* target;
        IDirect3DBaseTexture9* source;
        float x0, y0, u0, v0, x2, y2, u2, v2;
    };
    const Pass shrink = {glow1, glow0Texture, 64, 0, 1, 0, 0, 64, 0, 1};
    const Pass stretch = {glow0, glow1Texture, 256, 0, 0.25f, 0, 0, 256, 0, 0.25f};
    const Pass turnedShrink = {glow1, glow0Texture, 0, 64, 1, 0, 64, 0, 0, 1};
    const Pass passes[9] = {{glow0, shapeTexture, 256, 0, 1, 0, 0, 256, 0, 1},
                            shrink, stretch, turnedShrink, stretch,
                            shrink, stretch, turnedShrink, stretch};
    for (int i = 0; i < 9; ++i) {
        SCOPED_TRACE("glow pass " + std::to_string(i));
        const Pass& p = passes[i];
        EXPECT_EQ(quads[i].state.renderTarget, p.target);
        EXPECT_EQ(quads[i].state.textures[0], p.source);
        EXPECT_EQ(quads[i].state.RenderState(D3DRS_CULLMODE), DWORD{D3DCULL_NONE});
        EXPECT_EQ(quads[i].state.RenderState(D3DRS_ALPHABLENDENABLE), DWORD{FALSE});
        EXPECT_EQ(QuadVertices(quads[i])[0].color, kWhite);
        ExpectCorners(quads[i], p.x0, p.y0, p.u0, p.v0, p.x2, p.y2, p.u2, p.v2);
    }

    const CRecordedDraw& picture = quads[9];
    EXPECT_EQ(picture.renderTarget, "backbuffer");
    EXPECT_EQ(picture.state.textures[0], shapeTexture);
    EXPECT_EQ(picture.state.RenderState(D3DRS_ALPHABLENDENABLE), DWORD{FALSE});
    EXPECT_EQ(QuadVertices(picture)[0].color, kComposite);
    ExpectCorners(picture, 700, 200, 1, 0, 500, 400, 0, 1);

    const CRecordedDraw& glow = quads[10];
    EXPECT_EQ(glow.renderTarget, "backbuffer");
    EXPECT_EQ(glow.state.textures[0], glow0Texture);
    EXPECT_EQ(glow.state.RenderState(D3DRS_ALPHABLENDENABLE), DWORD{TRUE});
    EXPECT_EQ(glow.state.RenderState(D3DRS_SRCBLEND), DWORD{D3DBLEND_ONE});
    EXPECT_EQ(glow.state.RenderState(D3DRS_DESTBLEND), DWORD{D3DBLEND_ONE});
    EXPECT_EQ(glow.state.StageState(0, D3DTSS_ALPHAOP), DWORD{D3DTOP_MODULATE});
    EXPECT_EQ(QuadVertices(glow)[0].color, kComposite);
    ExpectCorners(glow, 700, 200, 1, 0, 500, 400, 0, 1);
}

TEST_F(SceneRenderTest, LeavesTheDeviceAsTheNextFrameExpects) {
    rig.Pointer(400, 300);  // highlight drawn in cell 4
    Frame();
    const D3DDeviceState& state = rig.State();
    EXPECT_EQ(state.renderTarget, scene.shapeTarget.GetSavedTarget());
    EXPECT_EQ(state.RenderState(D3DRS_CULLMODE), DWORD{D3DCULL_CCW});
    EXPECT_EQ(state.RenderState(D3DRS_ZENABLE), DWORD{D3DZB_TRUE});
    EXPECT_EQ(state.RenderState(D3DRS_ZWRITEENABLE), DWORD{TRUE});
    EXPECT_EQ(state.RenderState(D3DRS_ALPHABLENDENABLE), DWORD{FALSE});
    EXPECT_EQ(state.RenderState(D3DRS_SRCBLEND), DWORD{D3DBLEND_ONE});
    EXPECT_EQ(state.RenderState(D3DRS_DESTBLEND), DWORD{D3DBLEND_ONE});
    EXPECT_EQ(state.StageState(0, D3DTSS_COLOROP), DWORD{D3DTOP_MODULATE});
    EXPECT_EQ(state.StageState(0, D3DTSS_COLORARG1), DWORD{D3DTA_TEXTURE});
    EXPECT_EQ(state.StageState(0, D3DTSS_COLORARG2), DWORD{D3DTA_DIFFUSE});
    EXPECT_EQ(state.StageState(0, D3DTSS_ALPHAARG2), DWORD{D3DTA_DIFFUSE});
    EXPECT_EQ(state.textures[0], nullptr);
}

struct HoverCase {
    int width;
    LONG x, y;
    int cell;  // -1: none
};

class SceneHoverTest : public ::testing::TestWithParam<HoverCase> {};

TEST_P(SceneHoverTest, PointerLightsTheCellItIsOver) {
    const HoverCase& c = GetParam();
    CSceneRig rig(c.width, 600);
    CTestScene scene;
    {
        CScriptedRandom draws;
        scene.InitWithRates(&rig.context, 10, 50);
    }
    rig.Pointer(c.x, c.y);
    std::optional<int> lit;
    std::vector<CellDraws> cells = SplitByCell(rig.Frame(scene));
    ASSERT_EQ(cells.size(), 9u);
    for (int visit = 0; visit < 9; ++visit) {
        const std::vector<CRecordedDraw> highlights = Highlights(cells[visit]);
        if (highlights.empty()) continue;
        ASSERT_FALSE(lit.has_value());
        lit = kVisitOrder[visit];
        // The highlight covers its cell, added onto it.
        const int k = *lit;
        const float x = static_cast<float>((c.width - 600) / 2 + 200 * (k % 3));
        const float y = static_cast<float>(200 * (k / 3));
        ExpectCorners(highlights[0], x + 200, y, 0, 0, x, y + 200, 0, 0);
        EXPECT_EQ(highlights[0].state.RenderState(D3DRS_ALPHABLENDENABLE), DWORD{TRUE});
        EXPECT_EQ(highlights[0].state.RenderState(D3DRS_DESTBLEND), DWORD{D3DBLEND_ONE});
    }
    EXPECT_EQ(lit.value_or(-1), c.cell);
}

INSTANTIATE_TEST_SUITE_P(
    Edges, SceneHoverTest,
    ::testing::Values(HoverCase{800, 100, 0, 0}, HoverCase{800, 99, 0, -1},
                      HoverCase{800, 300, 0, 1}, HoverCase{800, 299, 199, 0},
                      HoverCase{800, 100, 200, 3}, HoverCase{800, 699, 599, 8},
                      HoverCase{800, 700, 300, -1}, HoverCase{800, 400, 600, -1},
                      HoverCase{800, 400, -1, -1},
                      // 599: offset (599 - 600) / 2 = 0; 598: offset -1.
                      HoverCase{599, 0, 0, 0}, HoverCase{599, 199, 0, 0},
                      HoverCase{599, 200, 0, 1}, HoverCase{598, -1, 0, 0},
                      HoverCase{598, 198, 0, 0}, HoverCase{598, 199, 0, 1},
                      HoverCase{598, -2, 0, -1}));

TEST_F(SceneRenderTest, HighlightPulsesWithTheFrameCounter) {
    struct Case {
        int frameCounter;
        D3DCOLOR color;
    };
    rig.Pointer(100, 0);
    for (const Case& c : {Case{0, 0xFF333333u}, Case{47, 0xFF4C4C4Cu}, Case{141, 0xFF191919u}}) {
        SCOPED_TRACE(c.frameCounter);
        scene.frameCounter = c.frameCounter;
        const std::vector<CellDraws> cells = Frame();
        ASSERT_EQ(cells.size(), 9u);
        const std::vector<CRecordedDraw> lit = Highlights(cells[0]);
        ASSERT_EQ(lit.size(), 1u);
        for (const ScreenVertex& v : QuadVertices(lit[0])) {
            EXPECT_EQ(v.color, c.color);
            EXPECT_EQ(v.rhw, 0.0f);
        }
    }
}

TEST_F(SceneRenderTest, ClickOnTheCentreBreedsAndLaterCellsShowTheNewGeneration) {
    D3DMATERIAL9 old[kPopulationSize];
    for (int k = 0; k < kPopulationSize; ++k) old[k] = scene.shapes[k].material;
    const Genome parent = scene.genomes[4];
    scene.reseedRate = 0;
    scene.mutationRate = 0;
    rig.Pointer(400, 300);
    rig.Button(true);

    CScriptedRandom random(Spread(63));
    const std::vector<CellDraws> cells = Frame();
    ASSERT_EQ(cells.size(), 9u);
    EXPECT_EQ(random.Taken(), 63u);
    EXPECT_EQ(scene.ClickCooldown(), kClickCooldownTicks);
    for (int i = 0; i < kGenomeSize; ++i) EXPECT_EQ(scene.genomes[4].genes[i], parent.genes[i]);

    // Visited before the click (0, 3, 6, 1) and the clicked cell itself show
    // the old colours; 7, 2, 5, 8 already the new ones.
    for (int visit = 0; visit < 9; ++visit) {
        const int k = kVisitOrder[visit];
        SCOPED_TRACE("cell " + std::to_string(k));
        const D3DMATERIAL9& drawn = cells[visit].shape.front().state.material;
        const D3DMATERIAL9& expected = visit <= 4 ? old[k] : scene.shapes[k].material;
        EXPECT_EQ(drawn.Diffuse.r, expected.Diffuse.r);
        EXPECT_EQ(drawn.Diffuse.b, expected.Diffuse.b);
        EXPECT_NE(old[k].Diffuse.r, scene.shapes[k].material.Diffuse.r);
    }
    EXPECT_EQ(Highlights(cells[4]).size(), 1u);
}

TEST_F(SceneRenderTest, CooldownSuppressesHighlightAndClickUntilItRunsOut) {
    rig.Pointer(400, 300);
    rig.Button(true);
    CScriptedRandom random({}, 0);
    Frame();
    const std::size_t afterClick = random.Taken();
    EXPECT_GE(afterClick, 63u);
    const Genome bred = scene.genomes[0];

    for (int tick = 0; tick < kClickCooldownTicks - 1; ++tick) {
        scene.Update();
        EXPECT_FALSE(HighlightedCell().has_value());
    }
    EXPECT_EQ(random.Taken(), afterClick);
    for (int i = 0; i < kGenomeSize; ++i) EXPECT_EQ(scene.genomes[0].genes[i], bred.genes[i]);

    scene.Update();
    EXPECT_EQ(scene.ClickCooldown(), 0);
    EXPECT_EQ(HighlightedCell(), 4);
    EXPECT_GT(random.Taken(), afterClick);
    EXPECT_EQ(scene.ClickCooldown(), kClickCooldownTicks);
}

TEST_F(SceneRenderTest, NoCellReactsOutsideTheGridOrToAPointerThatCannotBeMapped) {
    rig.Button(true);
    CScriptedRandom random({}, 0);
    rig.Pointer(50, 300);
    EXPECT_FALSE(HighlightedCell().has_value());
    rig.Pointer(750, 599);
    EXPECT_FALSE(HighlightedCell().has_value());
    // Without a window the pointer cannot be put into client coordinates.
    rig.context.hwnd = nullptr;
    rig.Pointer(400, 300);
    EXPECT_FALSE(HighlightedCell().has_value());
    EXPECT_EQ(random.Taken(), 0u);
    EXPECT_EQ(scene.ClickCooldown(), 0);
}

TEST_F(SceneRenderTest, HoverWithoutButtonOnlyHighlights) {
    rig.Pointer(150, 450);  // cell 6
    CScriptedRandom random({}, 0);
    EXPECT_EQ(HighlightedCell(), 6);
    EXPECT_EQ(random.Taken(), 0u);
    EXPECT_EQ(scene.ClickCooldown(), 0);
}

}  // namespace
