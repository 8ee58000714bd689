// The SDL2 window system on a real (virtual) display: what the key state
// reads as messages are taken. (Client sizes and the title are checked
// end to end.)
#include "platform/sdl/CSdlWindowSystem.h"

#include <gtest/gtest.h>

#include "platform/sdl/CSdlPlatform.h"

class SdlWindows : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(platform.VideoAvailable()) << "these tests need a display";
        WNDCLASSEXA wc{};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = DefWindowProcA;
        wc.lpszClassName = "window";
        ASSERT_NE(RegisterClassExA(&wc), 0);
    }

    HWND MakeWindow(int outerWidth, int outerHeight) {
        return CreateWindowExA(0, "window", "Tessary(?)", WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX,
                               CW_USEDEFAULT, CW_USEDEFAULT, outerWidth, outerHeight, nullptr,
                               nullptr, nullptr, nullptr);
    }

    CSdlPlatform platform;
    CWin32ServicesScope services{platform.Services()};
    CSdlWindowSystem& windows = platform.Windows();
};

TEST_F(SdlWindows, KeysAndTheLeftButtonFollowTheMessagesTakenFromTheQueue) {
    const HWND hwnd = MakeWindow(806, 626);
    ASSERT_NE(hwnd, nullptr);
    // {key, down message, up message}; a key message's wParam is the key.
    const UINT cases[][3] = {{VK_ESCAPE, WM_KEYDOWN, WM_KEYUP},
                             {VK_BACK, WM_KEYDOWN, WM_KEYUP},
                             {VK_LBUTTON, WM_LBUTTONDOWN, WM_LBUTTONUP}};
    for (const auto& [key, down, up] : cases) {
        SCOPED_TRACE(key);
        const WPARAM wParam = down == WM_KEYDOWN ? key : 0;
        windows.PostMessageA(hwnd, down, wParam, 0);
        windows.PostMessageA(hwnd, up, wParam, 0);
        MSG msg{};
        ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE));
        EXPECT_EQ(GetKeyState(key) & 0x80, 0) << "a message only looked at does not count";
        GetMessageA(&msg, nullptr, 0, 0);
        EXPECT_NE(GetKeyState(key) & 0x80, 0) << "a quick press must not be lost";
        GetMessageA(&msg, nullptr, 0, 0);
        EXPECT_EQ(GetKeyState(key) & 0x80, 0);
    }
}
