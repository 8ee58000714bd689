#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "TempDir.h"
#include "app/AppConfig.h"
#include "app/CAppWindow.h"
#include "support/FakeWin32.h"

namespace {

constexpr const char* kInitFailed = "Direct3Dの初期化に失敗。";

class StartUp : public ::testing::Test {
protected:
    void SetUp() override {
        g_appConfig = AppConfig{};
        dir.Enter();
    }
    void TearDown() override { g_appConfig = AppConfig{}; }

    CTempDir dir;
    CFakeWin32 win32;
};

TEST_F(StartUp, CreateRegistersTheClassAndShowsAFixedSizeCaptionedWindow) {
    CAppWindow window;
    const auto instance = reinterpret_cast<HINSTANCE>(0x400000);
    const HWND hwnd = window.Create(instance, 806, 626);

    ASSERT_NE(hwnd, nullptr);
    EXPECT_EQ(window.hwnd, hwnd);
    EXPECT_EQ(window.x, CW_USEDEFAULT);
    EXPECT_EQ(window.y, CW_USEDEFAULT);
    EXPECT_EQ(window.width, 806);
    EXPECT_EQ(window.height, 626);

    ASSERT_EQ(win32.windows.classes.size(), 1u);
    EXPECT_EQ(win32.windows.classes[0].className, "window");
    EXPECT_EQ(win32.windows.classes[0].wc.lpfnWndProc, &WndProc);
    EXPECT_NE(win32.windows.classes[0].wc.hbrBackground, nullptr);

    const CFakeWindowSystem::Window* made = win32.windows.Find(hwnd);
    ASSERT_NE(made, nullptr);
    EXPECT_EQ(made->title, "Tessary(?)");
    EXPECT_EQ(made->style, 0x00CA0000u);  // no sizing border, no maximise box
    EXPECT_TRUE(made->visible);
    EXPECT_LT(win32.log.Find("ShowWindow(hwnd#1, 5)"), win32.log.Find("UpdateWindow(hwnd#1)"));
}

TEST_F(StartUp, CreateStopsAtTheFirstFailure) {
    {
        win32.windows.failRegister = true;
        CAppWindow window;
        EXPECT_EQ(window.Create(nullptr, 806, 626), nullptr);
        EXPECT_EQ(win32.log.Count("CreateWindowExA("), 0u);
    }
    win32.windows.failRegister = false;
    win32.windows.failCreate = true;
    CAppWindow window;
    EXPECT_EQ(window.Create(nullptr, 806, 626), nullptr);
    EXPECT_EQ(window.hwnd, nullptr);
    EXPECT_EQ(window.width, 0);  // nothing recorded for a window that was not made
    EXPECT_EQ(win32.log.Count("ShowWindow("), 0u);
}

TEST_F(StartUp, WindowProcedureTurnsCloseIntoDestroyAndDestroyIntoQuit) {
    CAppWindow window;
    const HWND hwnd = window.Create(nullptr, 806, 626);
    ASSERT_NE(hwnd, nullptr);

    EXPECT_EQ(WndProc(hwnd, WM_MOUSEMOVE, 0, 0), 0);
    EXPECT_EQ(win32.log.Count("DefWindowProcA(hwnd#1, 0x200)"), 1u);
    EXPECT_EQ(win32.windows.Pending(), 0u);

    EXPECT_EQ(WndProc(hwnd, WM_CLOSE, 0, 0), 0);
    EXPECT_TRUE(win32.windows.Find(hwnd)->destroyed);
    ASSERT_EQ(win32.windows.Pending(), 1u);
    EXPECT_EQ(win32.windows.Queue().front().message, WM_QUIT);
    EXPECT_EQ(win32.windows.Queue().front().wParam, 0u);
    EXPECT_EQ(win32.log.Count("DefWindowProcA("), 1u);  // close and destroy are handled
}

struct OuterSizeCase {
    const char* conf;
    int outerWidth;
    int outerHeight;
};

TEST_F(StartUp, OuterSizeAddsTheDialogFrameAndCaptionToTheConfiguredClient) {
    const OuterSizeCase cases[] = {
        {nullptr, 806, 626},
        {"1 1024 768", 1030, 794},
        {"0", 806, 626},
        {"1 -5 0", 1, 26},
        {"1 2147483647 2147483647", INT_MAX, INT_MAX},  // saturates, never overflows
    };
    for (const OuterSizeCase& c : cases) {
        SCOPED_TRACE(c.conf != nullptr ? c.conf : "no conf.txt");
        std::filesystem::remove(dir.Path() / "conf.txt");
        if (c.conf != nullptr) dir.Write("conf.txt", c.conf);
        g_appConfig = AppConfig{};  // one start per process
        CFakeWin32 fresh;
        EXPECT_EQ(WinMain(nullptr, nullptr, nullptr, 0), 0);
        const std::string expected = "CreateWindowExA(0x0, window, Tessary(?), 0xCA0000, " +
                                     std::to_string(c.outerWidth) + ", " +
                                     std::to_string(c.outerHeight) + ")";
        EXPECT_TRUE(fresh.log.Contains(expected)) << fresh.log.Dump();
    }
}

TEST_F(StartUp, WithoutAGraphicsDeviceTheFailureIsShownOnceAndTheExitStatusIsZero) {
    dir.Write("conf.txt", "1 640 480");
    // No Direct3D factory is installed, so the context cannot be made.
    EXPECT_EQ(WinMain(nullptr, nullptr, nullptr, 0), 0);

    EXPECT_EQ(g_appConfig.width, 640);
    ASSERT_EQ(win32.dialogs.shown.size(), 1u);
    const CFakeDialogs::Shown& box = win32.dialogs.shown[0];
    EXPECT_EQ(box.owner, nullptr);
    EXPECT_EQ(box.text, kInitFailed);
    EXPECT_TRUE(box.captionNull);
    EXPECT_EQ(box.type, MB_ICONERROR);
    // No loop ran: the timer resolution was never touched.
    EXPECT_EQ(win32.log.Count("timeBeginPeriod(1)"), 0u);
    EXPECT_EQ(win32.log.Count("timeEndPeriod(1)"), 0u);
}

TEST_F(StartUp, AWindowThatCannotBeMadeEndsInTheSameFailure) {
    win32.windows.failCreate = true;
    EXPECT_EQ(WinMain(nullptr, nullptr, nullptr, 0), 0);
    ASSERT_EQ(win32.dialogs.shown.size(), 1u);
    EXPECT_EQ(win32.dialogs.shown[0].text, kInitFailed);
}

}  // namespace
