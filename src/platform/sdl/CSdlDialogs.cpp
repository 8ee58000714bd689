#include "platform/sdl/CSdlDialogs.h"

#include <SDL.h>

#include <cstdio>

#include "platform/sdl/CSdlWindowSystem.h"

namespace {

constexpr UINT kButtonMask = 0xF;
constexpr UINT kIconMask = 0xF0;

bool IsQuestion(UINT type) { return (type & kButtonMask) == MB_YESNO; }

}  // namespace

int CSdlDialogs::AnswerFromButton(int buttonId, UINT type) {
    if (IsQuestion(type)) return buttonId == IDYES ? IDYES : IDNO;
    return IDOK;  // the one button, or the box closed: both acknowledge it
}

int CSdlDialogs::AnswerWithoutBox(UINT type) { return IsQuestion(type) ? IDNO : IDOK; }

int CSdlDialogs::MessageBoxA(HWND owner, const char* text, const char* caption, UINT type) {
    const char* const title = caption != nullptr ? caption : "Error";  // the system's default
    const char* const message = text != nullptr ? text : "";

    SDL_MessageBoxButtonData yesNo[2] = {
        {SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT, IDYES, "Yes"},
        {SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, IDNO, "No"},
    };
    SDL_MessageBoxButtonData ok[1] = {
        {SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT | SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, IDOK,
         "OK"},
    };

    SDL_MessageBoxData data{};
    data.flags = SDL_MESSAGEBOX_BUTTONS_LEFT_TO_RIGHT;
    if ((type & kIconMask) == MB_ICONERROR) data.flags |= SDL_MESSAGEBOX_ERROR;
    // A destroyed or unknown owner leaves the box without one, as Win32 does.
    data.window = windows.LiveWindow(owner);
    data.title = title;
    data.message = message;
    if (IsQuestion(type)) {
        data.numbuttons = 2;
        data.buttons = yesNo;
    } else {
        data.numbuttons = 1;
        data.buttons = ok;
    }

    int buttonId = -1;
    // Without video SDL is not asked at all: it would try a box of its own
    // through helper programs it starts and waits for, which can hang.
    if (!windows.VideoAvailable() || SDL_ShowMessageBox(&data, &buttonId) < 0) {
        std::fprintf(stderr, "%s: %s\n", title, message);
        return AnswerWithoutBox(type);
    }
    return AnswerFromButton(buttonId, type);
}
