#include "CPresetInput.h"

namespace {
constexpr LONG kFarAway = -1000000;
}

short CPresetInput::GetKeyState(int virtualKey) {
    const bool down = virtualKey == VK_LBUTTON && buttonHeld;
    return down ? static_cast<short>(0xFF80) : static_cast<short>(0);
}

BOOL CPresetInput::GetCursorPos(POINT* point) {
    if (point == nullptr) return FALSE;
    // The screen position of the client origin, negated.
    POINT origin{0, 0};
    if (ScreenToClient(window, &origin) == FALSE) origin = POINT{0, 0};
    const POINT wanted = hasPointer ? client : POINT{kFarAway, kFarAway};
    *point = POINT{wanted.x - origin.x, wanted.y - origin.y};
    return TRUE;
}
