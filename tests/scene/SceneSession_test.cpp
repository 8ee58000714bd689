// Sessions that can be made again: the population replayed from a seed and
// clicks is the one live breeding gives, Backspace goes back a generation
// under the click cooldown, and the journal file is created, resumed,
// refused and appended to safely.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <sstream>

#include "platform/Random.h"
#include "scene/CBreedingSession.h"
#include "scene/CJournalAppender.h"
#include "scene/SceneRig.h"
#include "support/TempDir.h"

namespace {

std::string ReadAll(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

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

class SessionFileTest : public ::testing::Test {
protected:
    std::unique_ptr<CBreedingSession> Open(bool hasSeed, unsigned int seed) {
        error.clear();
        return CBreedingSession::Open({hasSeed, seed, path.string()}, 555, &error);
    }

    CTempDir dir;
    std::filesystem::path path = dir.Path() / "session.txt";
    std::string error;
};

TEST_F(SessionFileTest, ANewJournalGetsItsHeaderAndEveryRecordAtOnce) {
    dir.Enter();
    dir.Write("param.txt", "150 -2");
    auto session = Open(false, 0);
    ASSERT_TRUE(session) << error;
    EXPECT_EQ(session->Seed(), 555u);  // the clock's
    EXPECT_EQ(session->Rates()->mutationRate, 100);
    EXPECT_EQ(ReadAll(path), "tessary-journal 1\nseed 555\nrates 100 0\n");
    session->RecordClick(3);
    EXPECT_TRUE(session->Undo());
    EXPECT_FALSE(session->Undo());  // generation 0: nothing written
    EXPECT_EQ(ReadAll(path), "tessary-journal 1\nseed 555\nrates 100 0\nclick 3\nundo\n");
}

TEST_F(SessionFileTest, AnExistingJournalResumesAndAppendsOnALineOfItsOwn) {
    dir.Write("session.txt", "tessary-journal 1\nseed 9\nrates 5 7\nclick 1\nclick 2\nundo\nclick 6");
    auto session = Open(true, 9);  // an agreeing --seed is fine
    ASSERT_TRUE(session) << error;
    EXPECT_EQ(session->Seed(), 9u);
    EXPECT_EQ(session->Rates()->reseedRate, 7);
    EXPECT_EQ(session->Clicks(), (std::vector<int>{1, 6}));
    session->RecordClick(0);
    EXPECT_TRUE(ReadAll(path).ends_with("\nclick 6\nclick 0\n"));
}

TEST_F(SessionFileTest, RefusedJournalsAreLeftAsTheyWere) {
    const std::string valid = "tessary-journal 1\nseed 9\nrates 5 7\n";
    struct Case {
        std::string text;
        bool hasSeed;
        const char* error;
    };
    const Case cases[] = {{valid, true, "disagrees with the seed 9"},
                          {valid + "click 1\nredo\n", false, "line 5: unknown record 'redo'"},
                          {"tessary-journal 1\n", false, "line 1:"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        dir.Write("session.txt", c.text);
        EXPECT_FALSE(Open(c.hasSeed, 10));
        EXPECT_NE(error.find(c.error), std::string::npos) << error;
        EXPECT_EQ(ReadAll(path), c.text);
    }
}

TEST_F(SessionFileTest, WhatIsNoJournalFileIsRefusedWithTheReasonAndWithoutReadingIt) {
    const std::filesystem::path fifo = dir.Path() / "fifo";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);  // reading it would wait for ever
    const std::filesystem::path huge = dir.Path() / "huge.txt";
    dir.Write("huge.txt", "");
    std::filesystem::resize_file(huge, kMaxJournalBytes + 1);  // sparse: reading it would take long
    const std::pair<std::string, std::string> cases[] = {
        {"/dev/zero", "/dev/zero is not a regular file"},
        {fifo.string(), "is not a regular file"},
        {huge.string(), "larger than 256 MiB"},
        {dir.Path().string(), "cannot open " + dir.Path().string() + ": Is a directory"},
    };
    for (const auto& [where, expected] : cases) {
        SCOPED_TRACE(where);
        EXPECT_FALSE(CBreedingSession::Open({false, 0, where}, 1, &error));
        EXPECT_NE(error.find(expected), std::string::npos) << error;
    }
}

TEST_F(SessionFileTest, AJournalAppearsWholeAndAnEmptyFileIsTakenAsANewOne) {
    dir.Enter();
    for (const bool empty : {false, true}) {
        SCOPED_TRACE(empty ? "an empty file" : "no file");
        std::filesystem::remove(path);
        if (empty) dir.Write("session.txt", "");
        auto session = Open(true, 77);
        ASSERT_TRUE(session) << error;
        EXPECT_EQ(ReadAll(path), "tessary-journal 1\nseed 77\nrates 10 50\n");
        // The header was written under another name: nothing of that is left.
        const auto entries = std::distance(std::filesystem::directory_iterator(dir.Path()),
                                           std::filesystem::directory_iterator());
        EXPECT_EQ(entries, 1);
    }
}

TEST_F(SessionFileTest, ASecondSessionOnTheSameJournalIsRefused) {
    dir.Enter();
    auto first = Open(true, 4);
    ASSERT_TRUE(first) << error;
    EXPECT_FALSE(Open(true, 4));
    EXPECT_NE(error.find("in use"), std::string::npos) << error;
    first.reset();
    EXPECT_TRUE(Open(true, 4)) << error;
}

TEST_F(SessionFileTest, AJournalRemovedMidSessionIsReportedOnceAndTheSessionGoesOn) {
    dir.Enter();
    auto session = Open(true, 4);
    ASSERT_TRUE(session) << error;
    std::filesystem::remove(path);
    testing::internal::CaptureStderr();
    session->RecordClick(1);
    session->RecordClick(2);
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_NE(said.find("session.txt"), std::string::npos) << said;
    EXPECT_EQ(said.find("session.txt"), said.rfind("session.txt")) << "said more than once";
    EXPECT_EQ(session->Clicks(), (std::vector<int>{1, 2}));
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
        for (const bool down : {true, true, false, true}) {
            rig.win32.input.SetKey('S', down);
            rig.Frame();
        }
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
