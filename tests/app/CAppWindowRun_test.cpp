#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "RunRig.h"
#include "gfx/CDXContext.h"

namespace {

constexpr const char* kQuestion = "フルスクリーンで起動しますか？";

// --- fixed-step timing -------------------------------------------------------

struct TimingCase {
    const char* name;
    DWORD base;        // timeGetTime when the loop takes its time base
    DWORD elapsed;     // time since then when the first pass starts
    DWORD overrun;     // extra time every Sleep takes
    int steps;         // updates in the first pass
    int sleepFor;      // the first pass's Sleep, or -1 for none
    DWORD nextBase;    // the base the first pass leaves for the second
};

class PassTiming : public ::testing::TestWithParam<TimingCase> {};

TEST_P(PassTiming, FirstPassRunsTheStepsItsElapsedTimeAsksFor) {
    const TimingCase& c = GetParam();
    CRunRig rig;
    rig.win32.clock.now = c.base;
    rig.win32.clock.sleepOverrun = c.overrun;
    rig.win32.clock.onTimeGetTime = [&](int call) {
        if (call == 1) rig.win32.clock.now = c.base + c.elapsed;  // the first pass
    };
    // After the first frame, the second pass starts 5 ms after the base the
    // first one left: it must sleep exactly 11 ms and run one update.
    rig.prepareScene = [&](CProbeScene& scene) {
        scene.onRender = [&](int frame) {
            if (frame == 1) rig.win32.clock.now = c.nextBase + 5;
        };
    };
    rig.win32.windows.CloseAtPass(2);

    rig.window.Run();

    const std::vector<int> passes = rig.UpdatesPerPass();
    ASSERT_GE(passes.size(), 2u) << rig.win32.log.Dump();
    EXPECT_EQ(passes[0], c.steps);
    EXPECT_EQ(passes[1], 1);

    const std::vector<std::vector<std::string>> sleeps = rig.EntriesPerPass("Sleep(");
    ASSERT_GE(sleeps.size(), 2u);
    const std::vector<std::string> first =
        c.sleepFor >= 0 ? std::vector<std::string>{"Sleep(" + std::to_string(c.sleepFor) + ")"}
                        : std::vector<std::string>{};
    EXPECT_EQ(sleeps[0], first);
    EXPECT_EQ(sleeps[1], std::vector<std::string>{"Sleep(11)"})
        << "wrong base after the first pass\n" << rig.win32.log.Dump();
}

INSTANTIATE_TEST_SUITE_P(
    Elapsed, PassTiming,
    ::testing::Values(
        TimingCase{"Ten_OversleptWakingIsTheNewBase", 1000, 10, 3, 1, 6, 1019},
        TimingCase{"Forty_RemainderCarriesOver", 1000, 40, 0, 2, -1, 1032},
        TimingCase{"NinetyFive", 1000, 95, 0, 5, -1, 1080},
        TimingCase{"NinetySix_ExcessDropped", 1000, 96, 0, 5, -1, 1096},
        TimingCase{"CounterWraps", 0xFFFFFFF0u, 40, 0, 2, -1, 0x00000010u}),
    [](const ::testing::TestParamInfo<TimingCase>& info) { return info.param.name; });

// --- leaving the loop ---------------------------------------------------------

TEST(MainLoop, SceneEndingOnTheSecondOfThreeStepsSkipsTheRestOfThePass) {
    CRunRig rig;
    rig.win32.clock.now = 1000;
    rig.win32.clock.onTimeGetTime = [&](int call) {
        if (call == 1) rig.win32.clock.now = 1048;  // three steps due
    };
    rig.prepareScene = [](CProbeScene& scene) {
        scene.onUpdate = [](int update) { return update == 2 ? 1 : 0; };
    };

    rig.window.Run();

    CEventLog& log = rig.win32.log;
    EXPECT_EQ(log.Count("scene.Update"), 2u) << log.Dump();
    EXPECT_EQ(log.Count("scene.Render"), 0u);
    EXPECT_EQ(log.Count("d3d:BeginScene"), 0u);
    EXPECT_EQ(log.Count("d3d:Present"), 0u);
    EXPECT_EQ(log.Count("PeekMessageA("), 0u);
    // The window is left to the process.
    EXPECT_EQ(log.Count("DestroyWindow("), 0u);

    const std::size_t end = log.Find("timeEndPeriod(1)");
    const std::size_t sceneGone = log.Find("scene.destroyed");
    const std::size_t deviceGone = log.Find("d3d:Release", sceneGone);
    const std::size_t d3dGone = log.Find("d3d:D3D9.Release", deviceGone);
    ASSERT_NE(d3dGone, CEventLog::npos) << log.Dump();
    EXPECT_LT(log.Find("scene.Update"), end);
    EXPECT_LT(end, sceneGone);
    EXPECT_EQ(rig.journal->LiveObjects(), 0);
}

TEST(MainLoop, OneMessageIsHandledPerPassAndQuitEndsTheLoop) {
    CRunRig rig;
    rig.win32.windows.onPeek = [&](int call) {
        if (call != 1) return;
        const HWND hwnd = rig.window.hwnd;
        rig.win32.windows.Post(hwnd, WM_MOUSEMOVE);
        rig.win32.windows.Post(hwnd, WM_KEYDOWN, 'A');
        rig.win32.windows.Post(hwnd, WM_CLOSE);
    };

    rig.window.Run();

    CEventLog& log = rig.win32.log;
    // Pass 1 and 2: the two input messages; pass 3: the close request, which
    // destroys the window and posts quit; pass 4: the quit message.
    EXPECT_EQ(rig.CountPerPass("scene.Render"), (std::vector<std::size_t>{1, 1, 1, 1, 0}));
    EXPECT_EQ(log.Count("GetMessageA("), 4u) << log.Dump();
    EXPECT_EQ(log.Count("DispatchMessageA("), 3u);
    EXPECT_EQ(log.Count("TranslateMessage("), 3u);
    EXPECT_EQ(log.Count("DestroyWindow(hwnd#1)"), 1u);
    EXPECT_EQ(log.Count("PostQuitMessage(0)"), 1u);
    EXPECT_EQ(log.Count("d3d:Present"), 4u);

    const std::size_t dispatchClose = log.Find("DispatchMessageA(hwnd#1, 0x10)");
    const std::size_t quit = log.Find("GetMessageA(null, 0x12)");
    ASSERT_NE(quit, CEventLog::npos);
    EXPECT_LT(dispatchClose, quit);
    EXPECT_LT(quit, log.Find("timeEndPeriod(1)"));
    EXPECT_EQ(rig.journal->LiveObjects(), 0);
}

TEST(MainLoop, EscapeDestroysTheWindowOnceAndQuitComesAfterQueuedMessages) {
    CRunRig rig;
    rig.win32.input.SetKey(VK_ESCAPE, true);
    rig.win32.windows.onPeek = [&](int call) {
        if (call != 1) return;
        rig.win32.windows.Post(rig.window.hwnd, WM_MOUSEMOVE, 0, 1);
        rig.win32.windows.Post(rig.window.hwnd, WM_MOUSEMOVE, 0, 2);
    };

    rig.window.Run();

    CEventLog& log = rig.win32.log;
    // Pass 1 destroys the window (which posts quit behind the second move);
    // pass 2 handles the move and finds no window to destroy; pass 3 quits.
    EXPECT_EQ(log.Count("scene.Render"), 3u) << log.Dump();
    EXPECT_EQ(log.Count("DestroyWindow(hwnd#1)"), 2u);
    EXPECT_EQ(log.Count("PostQuitMessage(0)"), 1u);
    EXPECT_TRUE(rig.win32.windows.Find(rig.window.hwnd)->destroyed);

    // Escape is polled last in the pass, after the frame and the message.
    const std::size_t present = log.Find("d3d:Present");
    const std::size_t dispatch = log.Find("DispatchMessageA(");
    const std::size_t poll = log.Find("GetKeyState(27)");
    const std::size_t destroy = log.Find("DestroyWindow(hwnd#1)");
    EXPECT_LT(present, dispatch);
    EXPECT_LT(dispatch, poll);
    EXPECT_LT(poll, destroy);
}

// --- the frame and the device -------------------------------------------------

TEST(MainLoop, AFailedPresentResetsOncePerPassAndTheLoopGoesOn) {
    CRunRig rig;
    rig.journal->InjectFailure("Present", D3DERR_DEVICELOST, 1, -1);  // all but the first
    rig.journal->InjectFailure("Reset", D3DERR_INVALIDCALL, 0, -1);   // and resets refused
    rig.win32.windows.CloseAtPass(3);

    rig.window.Run();

    EXPECT_EQ(rig.CountPerPass("d3d:Reset"), (std::vector<std::size_t>{0, 1, 1, 1, 0}));
    EXPECT_EQ(rig.win32.log.Count("scene.Render"), 4u);
    EXPECT_EQ(rig.journal->LiveObjects(), 0);
}

// --- start-up -----------------------------------------------------------------

TEST(MainLoop, YesSwitchesToFullScreenBeforeTheSceneExists) {
    CRunRig rig;
    rig.win32.dialogs.answers = {IDYES};
    rig.win32.windows.CloseAtPass(1);

    rig.window.Run();

    ASSERT_EQ(rig.win32.dialogs.shown.size(), 1u);
    EXPECT_EQ(rig.win32.dialogs.shown[0].text, kQuestion);
    EXPECT_EQ(rig.win32.dialogs.shown[0].type, MB_YESNO);
    CEventLog& log = rig.win32.log;
    const std::size_t style = log.Find("SetWindowLongA(hwnd#1, -16, 0x90000000)");
    const std::size_t size = log.Find("SetWindowPos(hwnd#1, null, 0, 0, 800, 600, 0x22)");
    const std::size_t reset = log.Find("d3d:Reset");
    ASSERT_NE(reset, CEventLog::npos) << log.Dump();
    EXPECT_LT(log.Find("MessageBoxA("), style);
    EXPECT_LT(style, size);
    EXPECT_LT(size, reset);
    EXPECT_LT(reset, log.Find("scene.Init"));
    EXPECT_EQ(log.Count("d3d:Reset"), 1u);
}

TEST(MainLoop, DeviceFailureShowsOneErrorBoxAndLeavesNothingBehind) {
    CRunRig rig;
    rig.journal->InjectFailure("D3D9.CreateDevice", D3DERR_NOTAVAILABLE);

    rig.window.Run();

    ASSERT_EQ(rig.win32.dialogs.shown.size(), 1u);
    const CFakeDialogs::Shown& box = rig.win32.dialogs.shown[0];
    EXPECT_EQ(box.owner, nullptr);
    EXPECT_EQ(box.text, "Direct3Dの初期化に失敗。");
    EXPECT_TRUE(box.captionNull);
    EXPECT_EQ(box.type, MB_ICONERROR);
    EXPECT_EQ(rig.scenesMade, 0);
    EXPECT_EQ(rig.win32.log.Count("timeBeginPeriod(1)"), 0u);
    EXPECT_EQ(rig.win32.log.Count("timeEndPeriod(1)"), 0u);
    EXPECT_EQ(rig.win32.log.Count("d3d:D3D9.Release"), 1u);
    EXPECT_EQ(rig.journal->LiveObjects(), 0);
}

}  // namespace
