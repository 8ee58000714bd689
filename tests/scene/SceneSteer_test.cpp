// Steering the breeding from the keyboard: sessions of clicks, rate steps,
// locks and undos are made again exactly from their journal (which breeds as
// Population_test pins, locked cells left as they were), the help takes the
// key or click that closes it, and nothing new is drawn until a key shows
// something.
#include <gtest/gtest.h>

#include <cstring>
#include <sstream>

#include "genetic/Journal.h"
#include "platform/Random.h"
#include "scene/CBreedingSession.h"
#include "scene/SceneRig.h"
#include "support/TempDir.h"

namespace {

bool SameMaterial(const D3DMATERIAL9& a, const D3DMATERIAL9& b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

// One action: cK clicks cell K, lK presses L over cell K, u is Backspace,
// m+ m- r+ r- are Up, Down, Right and Left.
void Act(CSceneRig& rig, const std::string& action) {
    const char what = action[0];
    if (what == 'c' || what == 'u') {
        const int key = what == 'c' ? VK_LBUTTON : VK_BACK;
        if (what == 'c') rig.PointAt(action[1] - '0');
        rig.win32.input.SetKey(key, true);
        rig.Frame();
        rig.win32.input.SetKey(key, false);
        rig.win32.input.cursor = POINT{-1, -1};
        for (int tick = 0; tick < kClickCooldownTicks; ++tick) rig.scene.Update();
    } else if (what == 'l') {
        rig.PointAt(action[1] - '0');
        rig.Press('L');
    } else {
        rig.Press(action == "m+" ? VK_UP : action == "m-" ? VK_DOWN
                  : action == "r+" ? VK_RIGHT : VK_LEFT);
    }
}

TEST(SceneSteer, TheJournalReplaysTheLiveSession) {
    const char* const cases[] = {
        "c4 c0",                                     // nothing steered
        "l4 c4 c0 l4 c8 u",                          // the parent locked, then freed
        "m+ m+ r- l3 l5 c0 u c2 m- c7 u c1",         // undo keeps the rates and locks
        "r+ r+ r+ r+ r+ r+ r+ r+ r+ r+ r+ l0 l8 c6 m- m- m- c6",  // rates stop at 100 and 0
        "l0 l1 l2 l3 l4 l5 l6 l7 l8 c4 u c4",        // all locked: a click breeds nothing
    };
    for (const char* actions : cases) {
        SCOPED_TRACE(actions);
        CTempDir dir;
        dir.Enter();
        CSceneRig rig;
        std::string error;
        auto session = CBreedingSession::Open({true, 2024, "j.txt"}, 0, &error);
        ASSERT_TRUE(session) << error;
        g_breedingSession = session.get();
        Srand(2024);
        rig.scene.Init(&rig.context);
        std::istringstream words(actions);
        for (std::string action; words >> action;) Act(rig, action);
        const int liveNext = Rand();
        g_breedingSession = nullptr;
        session.reset();

        Journal journal;
        ASSERT_TRUE(LoadJournal("j.txt", &journal, &error)) << error;
        const JournalState state = StateInEffect(journal);
        const Population replayed = ReplayPopulation(2024, state.steps);
        EXPECT_EQ(Rand(), liveNext);
        for (int k = 0; k < kPopulationSize; ++k) {
            EXPECT_TRUE(SameGenes(replayed.genomes[k], rig.scene.genomes[k])) << "cell " << k;
            EXPECT_TRUE(SameMaterial(replayed.materials[k], rig.scene.shapes[k].material));
        }
        // What a resumed session starts from.
        EXPECT_EQ(state.rates.mutationRate, rig.scene.MutationRate());
        EXPECT_EQ(state.rates.reseedRate, rig.scene.ReseedRate());
        EXPECT_EQ(state.locked, rig.scene.locked);
    }
}

// The messages the window procedure passes on, and what they leave: the help
// closes on the first new press (or click), which does nothing else.
TEST(SceneSteer, RateKeysStepWithinZeroToHundredAndTheKeyThatClosesTheHelpDoesNothingElse) {
    struct Message {
        UINT message;
        WPARAM wParam;
        bool repeat = false;
    };
    struct Case {
        int mutation, reseed;  // from param.txt, which may give any
        std::vector<Message> messages;
        bool help;
        int wantMutation, wantReseed;
    };
    const Message f1{WM_KEYDOWN, VK_F1}, up{WM_KEYDOWN, VK_UP}, upAgain{WM_KEYDOWN, VK_UP, true};
    const Message slash{WM_KEYDOWN, 0};  // a key without a code, typing '?'
    const Message question{WM_CHAR, '?'};
    const Case cases[] = {
        {10, 50, {up, upAgain, {WM_KEYDOWN, VK_LEFT}}, false, 20, 45},
        {100, 0, {up, {WM_KEYDOWN, VK_LEFT}}, false, 100, 0},
        {150, -2, {{WM_KEYDOWN, VK_DOWN}, {WM_KEYDOWN, VK_RIGHT}}, false, 95, 5},
        {10, 50, {f1, {WM_KEYDOWN, VK_F1, true}, {WM_KEYDOWN, VK_SHIFT}}, true, 10, 50},
        {10, 50, {f1, up, upAgain}, false, 10, 50},
        {10, 50, {f1, up, upAgain, {WM_KEYUP, VK_UP}, up}, false, 15, 50},
        {10, 50, {up, f1, upAgain}, true, 15, 50},  // a key held before the help opened
        {10, 50, {slash, question}, true, 10, 50},
        {10, 50, {f1, slash, question}, false, 10, 50},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(&c - cases);
        CSceneRig rig;
        rig.scene.mutationRate = c.mutation;
        rig.scene.reseedRate = c.reseed;
        for (const Message& m : c.messages) rig.Send(m.message, m.wParam, m.repeat);
        EXPECT_EQ(rig.scene.Overlay().HelpShown(), c.help);
        EXPECT_EQ(rig.scene.MutationRate(), c.wantMutation);
        EXPECT_EQ(rig.scene.ReseedRate(), c.wantReseed);
    }

    // Escape closes the help without quitting; a click closes it without breeding.
    CSceneRig rig;
    rig.Send(WM_KEYDOWN, VK_F1);
    EXPECT_TRUE(rig.scene.HoldsKey(VK_ESCAPE));
    rig.PointAt(4);
    rig.win32.input.SetKey(VK_LBUTTON, true);
    CScriptedRandom random;
    rig.Send(WM_LBUTTONDOWN);
    rig.Frame();
    EXPECT_FALSE(rig.scene.Overlay().HelpShown());
    EXPECT_EQ(random.Taken(), 0u);
    rig.Send(WM_LBUTTONUP);
    rig.Frame();
    EXPECT_EQ(random.Taken(), 63u);  // the next click breeds
}

TEST(SceneSteer, NothingNewIsDrawnUntilAKeyShowsSomething) {
    CSceneRig rig;
    const std::size_t grid = 9 * (63 + 11);  // per cell: the shape, glow and composite quads
    EXPECT_EQ(rig.Frame().size(), grid);
    rig.Press(VK_UP);  // the indicator, for 2 s: a backdrop and a list of text triangles
    for (int tick = 1; tick < kIndicatorTicks; ++tick) rig.scene.Update();
    const std::vector<CRecordedDraw> frame = rig.Frame();
    ASSERT_EQ(frame.size(), grid + 2);
    EXPECT_EQ(frame.back().type, D3DPT_TRIANGLELIST);
    rig.scene.Update();
    EXPECT_EQ(rig.Frame().size(), grid);
    rig.PointAt(4);
    rig.Press('L');
    EXPECT_EQ(rig.Frame().size(), grid + 1 + 4);  // the highlight, and the lock's four bars
}

}  // namespace
