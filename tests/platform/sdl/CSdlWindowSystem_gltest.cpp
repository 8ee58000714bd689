// The SDL2 window system on a real (virtual) display: what the key state
// reads as messages are taken, and the mouse messages SDL's events become.
// (Client sizes and the title are checked end to end.)
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
                             {VK_LBUTTON, WM_LBUTTONDOWN, WM_LBUTTONUP},
                             {VK_RBUTTON, WM_RBUTTONDOWN, WM_RBUTTONUP}};
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

TEST_F(SdlWindows, RightButtonAndWheelBecomeTheirWin32Messages) {
    const HWND hwnd = MakeWindow(806, 626);
    SDL_Window* native = windows.LiveWindow(hwnd);
    ASSERT_NE(native, nullptr);
    int left = 0;
    int top = 0;
    SDL_GetWindowPosition(native, &left, &top);
    struct Case {
        Uint32 type;
        Uint8 button;
        Sint32 wheel;
        Uint32 direction;
        UINT message;
        int delta;    // the wheel's turn in wParam's high word
        bool screen;  // lParam in screen, not client, coordinates
    };
    const Case cases[] = {
        {SDL_MOUSEBUTTONDOWN, SDL_BUTTON_RIGHT, 0, 0, WM_RBUTTONDOWN, 0, false},
        {SDL_MOUSEBUTTONUP, SDL_BUTTON_RIGHT, 0, 0, WM_RBUTTONUP, 0, false},
        {SDL_MOUSEWHEEL, 0, -2, SDL_MOUSEWHEEL_NORMAL, WM_MOUSEWHEEL, -240, true},
        {SDL_MOUSEWHEEL, 0, -1, SDL_MOUSEWHEEL_FLIPPED, WM_MOUSEWHEEL, 120, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message);
        // The pointer is put at (30, 40) first, as the wheel reports no position of its own.
        SDL_Event event{};
        event.type = SDL_MOUSEMOTION;
        event.motion.windowID = SDL_GetWindowID(native);
        event.motion.x = 30;
        event.motion.y = 40;
        ASSERT_EQ(SDL_PushEvent(&event), 1);
        event = SDL_Event{};
        event.type = c.type;
        if (c.type == SDL_MOUSEWHEEL) {
            event.wheel.windowID = SDL_GetWindowID(native);
            event.wheel.y = c.wheel;
            event.wheel.direction = c.direction;
        } else {
            event.button.windowID = SDL_GetWindowID(native);
            event.button.button = c.button;
            event.button.x = 30;
            event.button.y = 40;
        }
        ASSERT_EQ(SDL_PushEvent(&event), 1);
        MSG msg{};
        ASSERT_EQ(GetMessageA(&msg, hwnd, WM_RBUTTONDOWN, WM_MOUSEWHEEL), 1);
        EXPECT_EQ(msg.message, c.message);
        EXPECT_EQ(GET_WHEEL_DELTA_WPARAM(msg.wParam), c.delta);
        EXPECT_EQ(GET_X_LPARAM(msg.lParam), 30 + (c.screen ? left : 0));
        EXPECT_EQ(GET_Y_LPARAM(msg.lParam), 40 + (c.screen ? top : 0));
    }
}
