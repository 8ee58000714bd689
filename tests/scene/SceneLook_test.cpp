// The closer look inside the main scene: opened by a right click or Space
// over a cell, a left drag there turns the shape and never breeds, and
// right click, Space or Escape goes back to the same generation, the
// Escape being the scene's until it is let go.
#include <gtest/gtest.h>

#include "platform/Random.h"
#include "scene/SceneRig.h"

namespace {

struct LookCase {
    const char* name;
    int openKey;
    int closeKey;
};

class SceneLookTest : public ::testing::TestWithParam<LookCase> {};

// A right button's or key's press and release as Win32 gives them: the
// message, with the key's state as GetKeyState reports it from then on.
void Release(CSceneRig& rig, int key) {
    rig.win32.input.SetKey(key, false);
    rig.Send(key == VK_RBUTTON ? WM_RBUTTONUP : WM_KEYUP, static_cast<WPARAM>(key));
}
void Press(CSceneRig& rig, int key, bool held = false) {
    rig.win32.input.SetKey(key, true);
    rig.Send(key == VK_RBUTTON ? WM_RBUTTONDOWN : WM_KEYDOWN, static_cast<WPARAM>(key));
    if (!held) Release(rig, key);
}

TEST_P(SceneLookTest, DragsNeverBreedAndLeavingShowsTheSameGeneration) {
    const LookCase& c = GetParam();
    CSceneRig rig;
    CFakeInput& input = rig.win32.input;
    Genome before[kPopulationSize];
    std::copy(rig.scene.genomes, rig.scene.genomes + kPopulationSize, before);
    Srand(5);
    const int next = Rand();
    Srand(5);

    input.cursor = POINT{400, 300};  // cell 4
    Press(rig, c.openKey);
    rig.Frame();
    ASSERT_EQ(rig.scene.LookCell(), 4);
    // A left press and drag across the shape, held over several frames.
    input.SetKey(VK_LBUTTON, true);
    for (const LONG x : {400, 450, 520}) {
        input.cursor = POINT{x, 300};
        const std::vector<CRecordedDraw> draws = rig.Frame();
        EXPECT_FALSE(draws.empty());
    }
    EXPECT_EQ(rig.scene.ClickCooldown(), 0);
    EXPECT_TRUE(rig.scene.HoldsKey(VK_ESCAPE));
    // Keys of the grid do nothing in the look.
    for (const int key : {int{'L'}, VK_UP, VK_F1}) rig.Press(key);

    Press(rig, c.closeKey, true);
    rig.Frame();
    EXPECT_EQ(rig.scene.LookCell(), -1);
    EXPECT_EQ(rig.scene.HoldsKey(VK_ESCAPE), c.closeKey == VK_ESCAPE);
    rig.Frame();  // the left button still held from the drag breeds nothing
    Release(rig, c.closeKey);
    rig.Frame();
    EXPECT_FALSE(rig.scene.HoldsKey(VK_ESCAPE));
    EXPECT_FALSE(rig.scene.Locked(4));
    EXPECT_FALSE(rig.scene.Overlay().HelpShown());
    EXPECT_EQ(rig.scene.MutationRate(), 0);
    EXPECT_EQ(rig.scene.ClickCooldown(), 0);
    EXPECT_EQ(Rand(), next);
    EXPECT_TRUE(std::equal(before, before + kPopulationSize, rig.scene.genomes, SameGenes));
}

INSTANTIATE_TEST_SUITE_P(Keys, SceneLookTest,
                         ::testing::Values(LookCase{"RightClickThenEscape", VK_RBUTTON, VK_ESCAPE},
                                           LookCase{"SpaceThenRightClick", VK_SPACE, VK_RBUTTON},
                                           LookCase{"RightClickThenSpace", VK_RBUTTON, VK_SPACE}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
