// Sessions that can be made again: the population replayed from a seed and
// clicks is the one live breeding gives, Backspace goes back a generation
// under the click cooldown. The journal file itself: SessionFile_test.cpp.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>

#include "platform/Random.h"
#include "scene/CBreedingSession.h"
#include "scene/SceneRig.h"
#include "support/TempDir.h"

namespace {

bool SameMaterial(const D3DMATERIAL9& a, const D3DMATERIAL9& b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

// Sets the program's session for the test's lifetime.
struct SessionScope {
    explicit SessionScope(CBreedingSession* session) { g_breedingSession = session; }
    ~SessionScope() { g_breedingSession = nullptr; }
};

std::unique_ptr<CBreedingSession> SeedOnlySession(unsigned int seed) {
    std::string error;
    return CBreedingSession::Open({true, seed, ""}, 0, &error);
}

TEST(SceneReplay, ReplayGivesTheLiveGenerationAndLeavesTheSequenceWhereLiveBreedingDoes) {
    const std::vector<int> clicks = {4, 0, 8, 8, 2, 5};
    CSceneRig rig;
    Srand(987654);
    rig.scene.InitWithRates(&rig.context, 30, 60);  // both re-seeding and mutation happen
    for (const int k : clicks) rig.scene.Breed(k);
    const int liveNext = Rand();

    const Population replayed = ReplayPopulation(987654, {30, 60}, clicks);
    EXPECT_EQ(Rand(), liveNext);
    for (int k = 0; k < kPopulationSize; ++k) {
        SCOPED_TRACE("slot " + std::to_string(k));
        EXPECT_TRUE(SameGenes(replayed.genomes[k], rig.scene.genomes[k]));
        EXPECT_TRUE(SameMaterial(replayed.materials[k], rig.scene.shapes[k].material));
    }
}

class SceneUndoTest : public ::testing::Test {
protected:
    SceneUndoTest() {
        Srand(31337);
        scene.InitWithRates(&rig.context, 10, 50);
        Snapshot(start);
    }

    void Snapshot(Genome (&into)[kPopulationSize]) {
        std::copy(scene.genomes, scene.genomes + kPopulationSize, into);
    }
    bool Shows(const Genome (&population)[kPopulationSize]) {
        return std::equal(population, population + kPopulationSize, scene.genomes, SameGenes);
    }
    void WaitOutCooldown() {
        for (int tick = 0; tick < kClickCooldownTicks; ++tick) scene.Update();
    }

    std::unique_ptr<CBreedingSession> session = SeedOnlySession(31337);
    SessionScope scope{session.get()};
    CSceneRig rig;
    CTestScene& scene = rig.scene;
    Genome start[kPopulationSize];
};

TEST_F(SceneUndoTest, BackspaceGoesBackAGenerationUnderTheCooldownAndStopsAtTheStart) {
    rig.win32.input.cursor = POINT{400, 300};
    rig.win32.input.SetKey(VK_LBUTTON, true);
    rig.Frame();
    rig.win32.input.SetKey(VK_LBUTTON, false);
    rig.win32.input.cursor = POINT{-10, -10};
    EXPECT_EQ(session->Clicks(), std::vector<int>{4});
    ASSERT_FALSE(Shows(start));
    Genome bred[kPopulationSize];
    Snapshot(bred);

    rig.win32.input.SetKey(VK_BACK, true);
    rig.Frame();  // still in the click's cooldown
    EXPECT_TRUE(Shows(bred));
    WaitOutCooldown();
    rig.Frame();
    EXPECT_TRUE(Shows(start));
    EXPECT_TRUE(session->Clicks().empty());
    EXPECT_EQ(scene.clickCooldown, kClickCooldownTicks);
    // The next click breeds from the sequence as a replay leaves it.
    const Population replayed = ReplayPopulation(31337, {10, 50}, {});
    for (int k = 0; k < kPopulationSize; ++k) {
        EXPECT_TRUE(SameMaterial(scene.shapes[k].material, replayed.materials[k]));
    }
    const int next = Rand();
    ReplayPopulation(31337, {10, 50}, {});
    EXPECT_EQ(next, Rand());

    WaitOutCooldown();
    rig.Frame();  // generation 0: nothing to go back to, no cooldown
    EXPECT_TRUE(Shows(start));
    EXPECT_EQ(scene.clickCooldown, 0);
}

TEST(SceneUndo, BackspaceIsReadOnlyInASession) {
    for (const bool withSession : {false, true}) {
        const auto session = SeedOnlySession(1);
        SessionScope scope(withSession ? session.get() : nullptr);
        CSceneRig rig;
        rig.Frame();
        const auto& calls = rig.win32.callLog->calls;
        EXPECT_EQ(std::count_if(calls.begin(), calls.end(),
                                [](const CRecordedCall& call) {
                                    return call.text == "GetKeyState(8)";
                                }),
                  withSession ? 1 : 0);
    }
}

TEST(SceneSave, SOverACellSavesItOncePerPressUnderFreeNamesDrawingNoRandomNumber) {
    CTempDir dir;
    const auto session = SeedOnlySession(77);
    const SessionScope scope(session.get());
    g_saveDirectory = dir.Path().string();
    {
        CSceneRig rig;
        Genome before[kPopulationSize];
        std::copy(rig.scene.genomes, rig.scene.genomes + kPopulationSize, before);
        Srand(5);
        const int next = Rand();
        Srand(5);
        rig.win32.input.cursor = POINT{400, 300};  // cell 4
        // A press, its auto-repeat, the release and a second press.
        rig.Send(WM_KEYDOWN, 'S');
        rig.Frame();
        rig.Send(WM_KEYDOWN, 'S', true);
        rig.Frame();
        rig.Send(WM_KEYUP, 'S');
        rig.Frame();
        rig.Send(WM_KEYDOWN, 'S');
        rig.Frame();
        EXPECT_EQ(Rand(), next);
        EXPECT_TRUE(std::equal(before, before + kPopulationSize, rig.scene.genomes, SameGenes));
    }  // the scene's saver finishes its saves as the scene goes
    g_saveDirectory.clear();
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir.Path())) {
        names.push_back(entry.path().filename());
    }
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"seed-77-g0-c4-2.png", "seed-77-g0-c4-2.stl",
                                               "seed-77-g0-c4.png", "seed-77-g0-c4.stl"}));
}

}  // namespace
