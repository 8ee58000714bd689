#include "CPresetInput.h"

#include "CPresetClock.h"

CPresetClock* CPresetClock::installed = nullptr;
CPresetInput* CPresetInput::installed = nullptr;

namespace {
constexpr LONG kFarAway = -1000000;

DWORD WINAPI PresetTimeGetTime() {
    return CPresetClock::installed != nullptr ? CPresetClock::installed->now : 0;
}

SHORT WINAPI PresetGetKeyState(int virtualKey) {
    return CPresetInput::installed != nullptr ? CPresetInput::installed->GetKeyState(virtualKey)
                                              : 0;
}

BOOL WINAPI PresetGetCursorPos(LPPOINT point) {
    if (CPresetInput::installed != nullptr) return CPresetInput::installed->GetCursorPos(point);
    return CPresetInput{}.GetCursorPos(point);
}
}  // namespace

// The import pointers a dllimport call goes through. Defined here, they
// satisfy the references before the linker searches winmm's and user32's
// import libraries, whose members for these names are then never loaded.
// Nothing in the tool may call these functions by their plain names (that
// would load the member and clash).
extern "C" {
DWORD(WINAPI* presetTimeGetTimeImport)() __asm__("__imp_timeGetTime") = PresetTimeGetTime;
SHORT(WINAPI* presetGetKeyStateImport)(int) __asm__("__imp_GetKeyState") =
    PresetGetKeyState;
BOOL(WINAPI* presetGetCursorPosImport)(LPPOINT) __asm__("__imp_GetCursorPos") =
    PresetGetCursorPos;
}

short CPresetInput::GetKeyState(int virtualKey) const {
    const bool down = virtualKey == VK_LBUTTON && buttonHeld;
    return down ? static_cast<short>(0xFF80) : static_cast<short>(0);
}

BOOL CPresetInput::GetCursorPos(POINT* point) const {
    if (point == nullptr) return FALSE;
    POINT screen = hasPointer ? client : POINT{kFarAway, kFarAway};
    if (hasPointer && window != nullptr) ClientToScreen(window, &screen);
    *point = screen;
    return TRUE;
}
