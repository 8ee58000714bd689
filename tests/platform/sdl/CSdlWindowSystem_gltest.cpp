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

// A press becomes WM_KEYDOWN with the repeat bit of Win32's lParam, and the
// text it typed becomes WM_CHAR only when TranslateMessage is given it.
TEST_F(SdlWindows, KeyPressesCarryTheirRepeatAndTranslateIntoTypedCharacters) {
    const HWND hwnd = MakeWindow(806, 626);
    ASSERT_NE(hwnd, nullptr);
    const auto id = static_cast<Uint32>(reinterpret_cast<std::uintptr_t>(hwnd));
    const std::pair<SDL_Keycode, const char*> typed[] = {
        {SDLK_SLASH, "?\xC3\xA9"},  // '?' and a letter beyond ASCII, which is dropped
        {SDLK_UP, nullptr},          // an auto-repeat
        {SDLK_F1, "1"}};             // never translated
    for (const auto& [sym, text] : typed) {
        SDL_Event event{};
        event.key = {SDL_KEYDOWN, 0, id, SDL_PRESSED, sym == SDLK_UP, 0, 0, {{}, sym, 0, 0}};
        SDL_PushEvent(&event);
        if (text == nullptr) continue;
        event.text = {SDL_TEXTINPUT, 0, id, {}};
        SDL_strlcpy(event.text.text, text, sizeof event.text.text);
        SDL_PushEvent(&event);
    }
    const std::pair<UINT, WPARAM> expected[] = {
        {WM_KEYDOWN, 0}, {WM_CHAR, '?'}, {WM_KEYDOWN, VK_UP}, {WM_KEYDOWN, VK_F1}};
    for (const auto& [message, wParam] : expected) {
        MSG msg{};
        ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
        EXPECT_EQ(msg.message, message);
        EXPECT_EQ(msg.wParam, wParam);
        EXPECT_EQ((HIWORD(msg.lParam) & KF_REPEAT) != 0, wParam == VK_UP);
        if (wParam != VK_F1) TranslateMessage(&msg);
    }
    MSG msg{};
    EXPECT_FALSE(PeekMessageA(&msg, nullptr, WM_CHAR, WM_CHAR, PM_REMOVE));
}
