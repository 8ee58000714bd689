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
    SDL_Window* native = windows.LiveWindow(MakeWindow(806, 626));
    ASSERT_NE(native, nullptr);
    int left = 0;
    int top = 0;
    SDL_GetWindowPosition(native, &left, &top);
    // {event, the right button or the wheel's notches, flipped, message, wheel turn}: a
    // button's point is in client pixels, the wheel's on the screen.
    const struct {
        Uint32 type;
        int value;
        bool flipped;
        UINT message;
        int turn;
    } cases[] = {{SDL_MOUSEBUTTONDOWN, SDL_BUTTON_RIGHT, false, WM_RBUTTONDOWN, 0},
                 {SDL_MOUSEBUTTONUP, SDL_BUTTON_RIGHT, false, WM_RBUTTONUP, 0},
                 {SDL_MOUSEWHEEL, -2, false, WM_MOUSEWHEEL, -2 * WHEEL_DELTA},
                 {SDL_MOUSEWHEEL, -1, true, WM_MOUSEWHEEL, WHEEL_DELTA}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.message);
        // The pointer goes to (30, 40) first: the wheel reports no position of its own.
        const Uint32 id = SDL_GetWindowID(native);
        SDL_Event event{};
        event.motion = {SDL_MOUSEMOTION, 0, id, 0, 0, 30, 40, 0, 0};
        ASSERT_EQ(SDL_PushEvent(&event), 1);
        event = SDL_Event{};
        if (c.type == SDL_MOUSEWHEEL) {
            event.wheel.windowID = id;
            event.wheel.y = c.value;
            event.wheel.direction = c.flipped ? SDL_MOUSEWHEEL_FLIPPED : SDL_MOUSEWHEEL_NORMAL;
        } else {
            event.button = {c.type, 0, id, 0, static_cast<Uint8>(c.value), 0, 1, 0, 30, 40};
        }
        event.type = c.type;
        ASSERT_EQ(SDL_PushEvent(&event), 1);
        MSG msg{};
        ASSERT_EQ(GetMessageA(&msg, nullptr, WM_RBUTTONDOWN, WM_MOUSEWHEEL), 1);
        EXPECT_EQ(msg.message, c.message);
        EXPECT_EQ(GET_WHEEL_DELTA_WPARAM(msg.wParam), c.turn);
        EXPECT_EQ(GET_X_LPARAM(msg.lParam), 30 + (c.turn != 0 ? left : 0));
        EXPECT_EQ(GET_Y_LPARAM(msg.lParam), 40 + (c.turn != 0 ? top : 0));
    }
}
