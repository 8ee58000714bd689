// Steering the breeding from the keyboard: sessions of clicks, rate steps,
// locks and undos are made again exactly from their journal, a locked cell
// is left as it was, and the help takes the key or click that closes it.
#include <gtest/gtest.h>

#include <cstring>
#include <sstream>

#include "genetic/Journal.h"
#include "platform/Random.h"
#include "scene/CBreedingSession.h"
#include "scene/SceneRig.h"
#include "support/TempDir.h"

namespace {

struct SessionScope {
    explicit SessionScope(CBreedingSession* session) { g_breedingSession = session; }
    ~SessionScope() { g_breedingSession = nullptr; }
};

// Runs one action of a session: cK clicks cell K, lK presses L over cell K,
// u is Backspace, m+ m- r+ r- are Up, Down, Right and Left.
void Act(CSceneRig& rig, const std::string& action) {
    const int k = action[1] - '0';
    const auto waitOutCooldown = [&rig] {
        for (int tick = 0; tick < kClickCooldownTicks; ++tick) rig.scene.Update();
    };
    if (action[0] == 'c' || action[0] == 'u') {
        const int key = action[0] == 'c' ? VK_LBUTTON : VK_BACK;
        if (action[0] == 'c') rig.PointAt(k);
        rig.win32.input.SetKey(key, true);
        rig.Frame();
        rig.win32.input.SetKey(key, false);
        rig.win32.input.cursor = POINT{-1, -1};
        waitOutCooldown();
    } else if (action[0] == 'l') {
        rig.PointAt(k);
        rig.Press('L');
    } else {
        rig.Press(action == "m+" ? VK_UP : action == "m-" ? VK_DOWN
                  : action == "r+" ? VK_RIGHT : VK_LEFT);
    }
}

TEST(SceneSteer, JournalReplaysTheLiveSessionAndLockedCellsStayAsTheyWere) {
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
        SessionScope scope(session.get());
        Srand(2024);
        rig.scene.Init(&rig.context);

        std::istringstream words(actions);
        for (std::string action; words >> action;) {
            Genome genomes[kPopulationSize];
            D3DMATERIAL9 materials[kPopulationSize];
            for (int k = 0; k < kPopulationSize; ++k) {
                genomes[k] = rig.scene.genomes[k];
                materials[k] = rig.scene.shapes[k].material;
            }
            const LockedCells locked = rig.scene.locked;
            Act(rig, action);
            if (action[0] != 'c') continue;
            for (int k = 0; k < kPopulationSize; ++k) {
                if (!locked[static_cast<std::size_t>(k)]) continue;
                EXPECT_TRUE(SameGenes(genomes[k], rig.scene.genomes[k])) << action << " cell " << k;
                EXPECT_EQ(std::memcmp(&materials[k], &rig.scene.shapes[k].material,
                                      sizeof materials[k]), 0);
            }
        }
        const int liveNext = Rand();
        const BreedingRates liveRates{rig.scene.MutationRate(), rig.scene.ReseedRate()};
        session.reset();

        Journal journal;
        ASSERT_TRUE(LoadJournal("j.txt", &journal, &error)) << error;
        const Population replayed = ReplayPopulation(2024, StateInEffect(journal).steps);
        EXPECT_EQ(Rand(), liveNext);
        for (int k = 0; k < kPopulationSize; ++k) {
            EXPECT_TRUE(SameGenes(replayed.genomes[k], rig.scene.genomes[k])) << "cell " << k;
            EXPECT_EQ(std::memcmp(&replayed.materials[k], &rig.scene.shapes[k].material,
                                  sizeof replayed.materials[k]), 0);
        }
        // Resuming brings back the rates and locks in effect.
        const auto resumed = CBreedingSession::Open({false, 0, "j.txt"}, 0, &error);
        ASSERT_TRUE(resumed) << error;
        EXPECT_EQ(resumed->Rates()->mutationRate, liveRates.mutationRate);
        EXPECT_EQ(resumed->Rates()->reseedRate, liveRates.reseedRate);
        EXPECT_EQ(resumed->Locked(), rig.scene.locked);
    }
}

TEST(SceneSteer, RateKeysStepByFiveWithinZeroToHundred) {
    struct Case {
        int mutation, reseed;  // before (param.txt may give any)
        int key;
        int wantMutation, wantReseed;
    };
    const Case cases[] = {{10, 50, VK_UP, 15, 50},      {10, 50, VK_DOWN, 5, 50},
                          {10, 50, VK_RIGHT, 10, 55},   {10, 50, VK_LEFT, 10, 45},
                          {100, 0, VK_UP, 100, 0},      {100, 0, VK_LEFT, 100, 0},
                          {150, -2, VK_DOWN, 95, 0},    {150, -2, VK_RIGHT, 100, 5}};
    for (const Case& c : cases) {
        CSceneRig rig;
        rig.scene.mutationRate = c.mutation;
        rig.scene.reseedRate = c.reseed;
        rig.Press(c.key);
        EXPECT_EQ(rig.scene.MutationRate(), c.wantMutation) << c.mutation << " key " << c.key;
        EXPECT_EQ(rig.scene.ReseedRate(), c.wantReseed) << c.reseed << " key " << c.key;
    }
}

// The overlay's draws, after the grid's, only while something is shown.
TEST(SceneSteer, NothingNewIsDrawnUntilAKeyShowsSomething) {
    CSceneRig rig;
    const std::size_t grid = 9 * (63 + 11);  // per cell: the shape, glow and composite quads
    EXPECT_EQ(rig.Frame().size(), grid);

    rig.Press(VK_UP);  // the indicator: a backdrop, then one list of text triangles
    for (int tick = 0; tick <= kIndicatorTicks; ++tick) {
        const std::vector<CRecordedDraw> frame = rig.Frame();
        ASSERT_EQ(frame.size(), tick < kIndicatorTicks ? grid + 2 : grid) << "tick " << tick;
        if (tick == 0) {
            const CRecordedDraw& text = frame.back();
            EXPECT_EQ(text.type, D3DPT_TRIANGLELIST);
            EXPECT_EQ(text.renderTarget, "backbuffer");
            EXPECT_EQ(text.state.RenderState(D3DRS_CULLMODE), DWORD{D3DCULL_NONE});
            for (const ScreenVertex& v : QuadVertices(text)) {
                ASSERT_TRUE(v.x >= 8 && v.x < 400 && v.y >= 560 && v.y <= 592) << v.x << "," << v.y;
            }
            EXPECT_EQ(rig.rec.State().RenderState(D3DRS_CULLMODE), DWORD{D3DCULL_CCW});
        }
        rig.scene.Update();
    }

    rig.PointAt(4);
    rig.Press('L');
    rig.win32.input.cursor = POINT{-1, -1};
    const std::vector<CRecordedDraw> locked = rig.Frame();
    ASSERT_EQ(locked.size(), grid + 4);  // a frame of four bars
    for (std::size_t i = grid; i < locked.size(); ++i) {
        const std::vector<ScreenVertex> bar = QuadVertices(locked[i]);
        EXPECT_EQ(bar[0].color, 0xFFFFA000u);
        EXPECT_TRUE(bar[2].x >= 300 && bar[0].x <= 500 && bar[0].y >= 200 && bar[2].y <= 400);
    }

    rig.Press(VK_F1);  // the help: an edged panel and four texts
    EXPECT_EQ(rig.Frame().size(), grid + 4 + 6);
}

// What the help does with the messages that follow: the first new press (or
// click) closes it and does nothing else, its repeats neither.
TEST(SceneSteer, TheKeyOrClickThatClosesTheHelpDoesNothingElse) {
    struct Message {
        UINT message;
        WPARAM wParam;
        bool repeat;
    };
    struct Case {
        std::vector<Message> messages;
        bool help;
        int mutation;
    };
    const Message f1{WM_KEYDOWN, VK_F1, false};
    const Message up{WM_KEYDOWN, VK_UP, false};
    const Message upAgain{WM_KEYDOWN, VK_UP, true};
    const Message upReleased{WM_KEYUP, VK_UP, false};
    const Message slash{WM_KEYDOWN, 0, false};  // a key without a code, typing '?'
    const Message question{WM_CHAR, '?', false};
    const Case cases[] = {
        {{f1}, true, 10},
        {{f1, {WM_KEYDOWN, VK_F1, true}}, true, 10},  // F1's own repeat
        {{f1, {WM_KEYDOWN, VK_SHIFT, false}}, true, 10},
        {{f1, up, upAgain}, false, 10},
        {{f1, up, upAgain, upReleased, up}, false, 15},
        {{up, upAgain, f1, upAgain}, true, 20},  // a key held before the help opened
        {{slash, question}, true, 10},
        {{f1, slash, question}, false, 10},
        {{f1, {WM_KEYDOWN, VK_ESCAPE, false}}, false, 10},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(&c - cases);
        CSceneRig rig;
        rig.scene.mutationRate = 10;
        for (const Message& m : c.messages) rig.Send(m.message, m.wParam, m.repeat);
        EXPECT_EQ(rig.scene.Overlay().HelpShown(), c.help);
        EXPECT_EQ(rig.scene.MutationRate(), c.mutation);
    }

    // Escape closes the help without quitting; a click closes it without breeding.
    CSceneRig rig;
    rig.Send(WM_KEYDOWN, VK_F1);
    EXPECT_TRUE(rig.scene.HoldsKey(VK_ESCAPE));
    rig.PointAt(4);
    rig.win32.input.SetKey(VK_LBUTTON, true);
    CScriptedRandom random;
    rig.Frame();
    rig.Send(WM_LBUTTONDOWN);
    rig.Frame();
    EXPECT_FALSE(rig.scene.Overlay().HelpShown());
    EXPECT_EQ(random.Taken(), 0u);
    rig.Send(WM_LBUTTONUP);
    rig.Frame();
    EXPECT_EQ(random.Taken(), 63u);  // the next click breeds
    EXPECT_FALSE(rig.scene.HoldsKey(VK_ESCAPE));
}

}  // namespace
