// The SDL2 window system on a real (virtual) display.
#include "platform/sdl/CSdlWindowSystem.h"

#include <gtest/gtest.h>

#include <vector>

#include "platform/sdl/CSdlPlatform.h"
#include "platform/sdl/SdlWindowHandles.h"

namespace {

struct Received {
    HWND hwnd;
    UINT message;
    bool duringDestroyCall;
};

std::vector<Received> g_received;
bool g_inDestroyCall = false;

LRESULT RecordingProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    g_received.push_back({hwnd, message, g_inDestroyCall});
    if (message == WM_DESTROY) PostQuitMessage(0);
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

class SdlWindows : public ::testing::Test {
protected:
    void SetUp() override {
        g_received.clear();
        ASSERT_TRUE(platform.VideoAvailable()) << "these tests need a display";
        WNDCLASSEXA wc{};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = RecordingProc;
        wc.lpszClassName = "window";
        ASSERT_NE(RegisterClassExA(&wc), 0);
    }

    HWND MakeWindow(int outerWidth, int outerHeight,
                    DWORD style = WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX) {
        return CreateWindowExA(0, "window", "Tessary(?)", style, CW_USEDEFAULT, CW_USEDEFAULT,
                               outerWidth, outerHeight, nullptr, nullptr, nullptr, nullptr);
    }

    CSdlPlatform platform;
    CWin32ServicesScope services{platform.Services()};
    CSdlWindowSystem& windows = platform.windows;
};

TEST_F(SdlWindows, ClientAreaIsTheOuterSizeLessTheReportedFrameAndTheTitleIsKept) {
    const int frameX = 2 * GetSystemMetrics(SM_CXDLGFRAME);
    const int frameY = 2 * GetSystemMetrics(SM_CYDLGFRAME) + GetSystemMetrics(SM_CYCAPTION);
    for (const auto& [width, height] : {std::pair{800, 600}, {1024, 768}, {640, 480}}) {
        const HWND hwnd = MakeWindow(width + frameX, height + frameY);
        ASSERT_NE(hwnd, nullptr);
        int w = 0;
        int h = 0;
        ASSERT_TRUE(windows.GetClientSize(hwnd, &w, &h));
        EXPECT_EQ(w, width);
        EXPECT_EQ(h, height);
        EXPECT_STREQ(SDL_GetWindowTitle(SdlWindowFromHandle(hwnd)), "Tessary(?)");
    }
}

TEST_F(SdlWindows, DestroySendsDestroyAtOnceAndLaterCallsFindNoWindow) {
    const HWND hwnd = MakeWindow(806, 626);
    ASSERT_NE(hwnd, nullptr);
    ShowWindow(hwnd, SW_SHOW);

    g_inDestroyCall = true;
    EXPECT_EQ(DestroyWindow(hwnd), TRUE);
    g_inDestroyCall = false;

    ASSERT_EQ(g_received.size(), 1u);
    EXPECT_EQ(g_received[0].message, WM_DESTROY);
    EXPECT_TRUE(g_received[0].duringDestroyCall);

    EXPECT_EQ(DestroyWindow(hwnd), FALSE);
    EXPECT_EQ(ShowWindow(hwnd, SW_SHOW), FALSE);
    EXPECT_EQ(SetWindowPos(hwnd, nullptr, 0, 0, 10, 10, SWP_NOMOVE), FALSE);
    POINT point{5, 5};
    EXPECT_EQ(ScreenToClient(hwnd, &point), FALSE);
    EXPECT_EQ(windows.PostMessageA(hwnd, WM_CLOSE, 0, 0), FALSE);
    EXPECT_FALSE(windows.IsVisible(hwnd));
    EXPECT_EQ(windows.LiveWindow(hwnd), nullptr);
    // The native window stays until the platform goes, so a device still
    // drawing into it draws into a hidden window instead of a freed one.
    EXPECT_NE(SdlWindowFromHandle(hwnd), nullptr);
    windows.FreeNativeWindows();
    EXPECT_EQ(SdlWindowFromHandle(hwnd), nullptr);

    // The destruction posted quit, which GetMessageA reports as 0.
    MSG msg{};
    ASSERT_EQ(PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE), TRUE);
    EXPECT_EQ(msg.message, WM_QUIT);
    EXPECT_EQ(GetMessageA(&msg, nullptr, 0, 0), 0);
}

TEST_F(SdlWindows, EscapeAndTheLeftButtonFollowTheMessagesTakenFromTheQueue) {
    const HWND hwnd = MakeWindow(806, 626);
    ASSERT_NE(hwnd, nullptr);
    struct Case {
        int key;
        UINT down;
        UINT up;
        WPARAM wParam;
    };
    for (const Case& c : {Case{VK_ESCAPE, WM_KEYDOWN, WM_KEYUP, VK_ESCAPE},
                          Case{VK_LBUTTON, WM_LBUTTONDOWN, WM_LBUTTONUP, 0}}) {
        SCOPED_TRACE(c.key);
        windows.PostMessageA(hwnd, c.down, c.wParam, 0);
        windows.PostMessageA(hwnd, c.up, c.wParam, 0);

        MSG msg{};
        ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE));
        EXPECT_EQ(GetKeyState(c.key) & 0x80, 0) << "a message only looked at does not count";
        GetMessageA(&msg, nullptr, 0, 0);
        EXPECT_NE(GetKeyState(c.key) & 0x80, 0) << "a quick press must not be lost";
        GetMessageA(&msg, nullptr, 0, 0);
        EXPECT_EQ(GetKeyState(c.key) & 0x80, 0);
    }
}

}  // namespace
