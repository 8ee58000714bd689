#include "platform/sdl/CSdlWindowSystem.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <utility>

#include "platform/sdl/SdlGLWindow.h"
#include "platform/sdl/SdlWindowHandles.h"

namespace {

LPARAM PointParam(int x, int y) {
    // MAKELPARAM: x in the low word, y in the high word.
    const auto low = static_cast<std::uint32_t>(static_cast<std::uint16_t>(x));
    const auto high = static_cast<std::uint32_t>(static_cast<std::uint16_t>(y));
    return static_cast<LPARAM>(low | (high << 16));
}

HWND HandleOf(Uint32 windowId) {
    return reinterpret_cast<HWND>(static_cast<std::uintptr_t>(windowId));
}

bool HasFrame(DWORD style) { return (style & WS_CAPTION) == WS_CAPTION; }

// A client coordinate clamped to the first or last pixel moved one pixel
// further out; others stay.
int PastEdge(int coordinate, int size) {
    if (coordinate <= 0) return -1;
    return coordinate >= size - 1 ? size : coordinate;
}

// Only the keys the program knows have a virtual-key code; other keys arrive
// as 0 (no key) rather than under a wrong code.
WPARAM VirtualKey(SDL_Keycode key) {
    switch (key) {
        case SDLK_ESCAPE: return VK_ESCAPE;
        case SDLK_BACKSPACE: return VK_BACK;
        case SDLK_LSHIFT:
        case SDLK_RSHIFT: return VK_SHIFT;
        case SDLK_LCTRL:
        case SDLK_RCTRL: return VK_CONTROL;
        case SDLK_SPACE: return VK_SPACE;
        case SDLK_LEFT: return VK_LEFT;
        case SDLK_UP: return VK_UP;
        case SDLK_RIGHT: return VK_RIGHT;
        case SDLK_DOWN: return VK_DOWN;
        case SDLK_F1: return VK_F1;
        case SDLK_l: return 'L';
        case SDLK_r: return 'R';
        case SDLK_s: return 'S';
        default: return 0;
    }
}

// A key message's lParam: a repeat count of 1 (each auto-repeat is a message
// of its own), bit 30 when the key was down already, bit 31 on the release.
LPARAM KeyParam(bool down, bool repeat) {
    std::uint32_t flags = 0;
    if (!down) flags = KF_UP | KF_REPEAT;
    if (repeat) flags |= KF_REPEAT;
    return static_cast<LPARAM>((flags << 16) | 1u);
}

// The Win32 message of a button press or release; WM_NULL for a button the
// program does not read.
UINT ButtonMessage(Uint8 button, bool down) {
    if (button == SDL_BUTTON_LEFT) return down ? WM_LBUTTONDOWN : WM_LBUTTONUP;
    if (button == SDL_BUTTON_RIGHT) return down ? WM_RBUTTONDOWN : WM_RBUTTONUP;
    return WM_NULL;
}

// WM_MOUSEWHEEL's wParam: whole notches of WHEEL_DELTA in the high word,
// positive away from the user whatever the system's scrolling direction;
// the buttons held in the low word.
WPARAM WheelParam(const SDL_MouseWheelEvent& wheel) {
    long turn = static_cast<long>(wheel.y) * WHEEL_DELTA;
    if (wheel.direction == SDL_MOUSEWHEEL_FLIPPED) turn = -turn;
    turn = std::clamp(turn, -32768L, 32767L);
    const Uint32 buttons = SDL_GetMouseState(nullptr, nullptr);
    WPARAM held = 0;
    if ((buttons & SDL_BUTTON_LMASK) != 0) held |= MK_LBUTTON;
    if ((buttons & SDL_BUTTON_RMASK) != 0) held |= MK_RBUTTON;
    return (static_cast<WPARAM>(static_cast<std::uint16_t>(turn)) << 16) | held;
}

}  // namespace

CSdlWindowSystem::CSdlWindowSystem(bool videoAvailable) : videoAvailable(videoAvailable) {}

CSdlWindowSystem::~CSdlWindowSystem() { FreeNativeWindows(); }

void CSdlWindowSystem::FreeNativeWindows() { windows.clear(); }

ATOM CSdlWindowSystem::RegisterClassExA(const WNDCLASSEXA* windowClass) {
    if (windowClass == nullptr || windowClass->cbSize != sizeof(WNDCLASSEXA) ||
        windowClass->lpfnWndProc == nullptr || windowClass->lpszClassName == nullptr) {
        return 0;
    }
    const auto [entry, added] = classes.emplace(
        windowClass->lpszClassName, WindowClass{windowClass->lpfnWndProc, windowClass->hIcon});
    if (!added) return 0;  // Win32 refuses a second class of the same name
    return static_cast<ATOM>(classes.size());
}

HWND CSdlWindowSystem::CreateWindowExA(DWORD, const char* className, const char* windowName,
                                       DWORD style, int x, int y, int width, int height, HWND,
                                       HMENU, HINSTANCE, void*) {
    if (!videoAvailable || className == nullptr) return nullptr;
    const auto registered = classes.find(className);
    if (registered == classes.end()) return nullptr;

    // Win32 sizes a window by its outer edge, SDL by its client area.
    long clientWidth = width;
    long clientHeight = height;
    if (HasFrame(style)) {
        clientWidth -= 2L * kDialogFrame;
        clientHeight -= 2L * kDialogFrame + kCaption;
    }
    // SDL makes at least a 1 x 1 window and refuses anything it cannot map,
    // which comes back as a null handle.
    if (clientWidth < 1) clientWidth = 1;
    if (clientHeight < 1) clientHeight = 1;
    const int left = x == CW_USEDEFAULT ? static_cast<int>(SDL_WINDOWPOS_CENTERED) : x;
    const int top = y == CW_USEDEFAULT ? static_cast<int>(SDL_WINDOWPOS_CENTERED) : y;
    SDL_Window* native = CreateSdlGLWindow(windowName != nullptr ? windowName : "", left, top,
                                           static_cast<int>(clientWidth),
                                           static_cast<int>(clientHeight));
    if (native == nullptr) return nullptr;
    if (!HasFrame(style)) SDL_SetWindowBordered(native, SDL_FALSE);
    // The class's icon is the window's, as the title bar and task bar show it.
    if (icon1 && registered->second.icon == reinterpret_cast<HICON>(icon1.get())) {
        SDL_SetWindowIcon(native, icon1.get());
    }

    const Uint32 id = SDL_GetWindowID(native);
    Window& window = windows[id];
    window.native.reset(native);
    window.proc = registered->second.proc;
    window.style = style;
    return SdlWindowToHandle(native);
}

CSdlWindowSystem::Window* CSdlWindowSystem::FindLive(HWND hwnd) {
    const auto id = reinterpret_cast<std::uintptr_t>(hwnd);
    if (id == 0 || id > 0xFFFFFFFFu) return nullptr;
    const auto found = windows.find(static_cast<Uint32>(id));
    if (found == windows.end() || found->second.destroyed) return nullptr;
    return &found->second;
}

SDL_Window* CSdlWindowSystem::LiveWindow(HWND hwnd) {
    Window* window = FindLive(hwnd);
    return window != nullptr ? window->native.get() : nullptr;
}

bool CSdlWindowSystem::GetClientSize(HWND hwnd, int* width, int* height) {
    SDL_Window* native = LiveWindow(hwnd);
    if (native == nullptr) return false;
    SDL_GetWindowSize(native, width, height);
    return true;
}

BOOL CSdlWindowSystem::ShowWindow(HWND hwnd, int command) {
    SDL_Window* native = LiveWindow(hwnd);
    if (native == nullptr) return FALSE;
    const bool wasVisible = (SDL_GetWindowFlags(native) & SDL_WINDOW_SHOWN) != 0;
    if (command == SW_HIDE) {
        SDL_HideWindow(native);
    } else {
        SDL_ShowWindow(native);
    }
    return wasVisible ? TRUE : FALSE;
}

BOOL CSdlWindowSystem::UpdateWindow(HWND hwnd) {
    // Nothing paints outside the device; the window only has to exist.
    return FindLive(hwnd) != nullptr ? TRUE : FALSE;
}

BOOL CSdlWindowSystem::DestroyWindow(HWND hwnd) {
    Window* window = FindLive(hwnd);
    if (window == nullptr) return FALSE;
    SDL_HideWindow(window->native.get());
    window->destroyed = true;
    // Sent, not posted: the procedure runs before DestroyWindow returns.
    window->proc(hwnd, WM_DESTROY, 0, 0);
    return TRUE;
}

LRESULT CSdlWindowSystem::DefWindowProcA(HWND hwnd, UINT message, WPARAM, LPARAM) {
    if (message == WM_CLOSE) DestroyWindow(hwnd);
    return 0;
}

void CSdlWindowSystem::PostQuitMessage(int exitCode) {
    MSG msg{};
    msg.message = WM_QUIT;
    msg.wParam = static_cast<WPARAM>(exitCode);
    msg.time = SDL_GetTicks();
    queue.push_back(msg);
}

BOOL CSdlWindowSystem::PostMessageA(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (FindLive(hwnd) == nullptr) return FALSE;
    MSG msg{};
    msg.hwnd = hwnd;
    msg.message = message;
    msg.wParam = wParam;
    msg.lParam = lParam;
    msg.time = SDL_GetTicks();
    Enqueue(msg);
    return TRUE;
}

void CSdlWindowSystem::Enqueue(const MSG& msg) {
    if (msg.message == WM_KEYDOWN) typedByQueuedPress.push_back({msg.hwnd, {}});
    // Like Win32, at most one mouse move per window waits in the queue, with
    // the latest position: a fast mouse must not bury the close request
    // under hundreds of moves when one message is handled per pass.
    if (msg.message == WM_MOUSEMOVE) {
        for (MSG& queued : queue) {
            if (queued.message == WM_MOUSEMOVE && queued.hwnd == msg.hwnd) {
                queued.lParam = msg.lParam;
                queued.wParam = msg.wParam;
                queued.time = msg.time;
                return;
            }
        }
    }
    queue.push_back(msg);
}

void CSdlWindowSystem::PumpIntoQueue() {
    if (!videoAvailable) return;
    SDL_PumpEvents();
    SDL_Event event;
    while (SDL_PeepEvents(&event, 1, SDL_GETEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT) > 0) {
        MSG msg{};
        msg.time = event.common.timestamp;
        switch (event.type) {
            case SDL_WINDOWEVENT:
                if (event.window.event == SDL_WINDOWEVENT_LEAVE &&
                    event.window.windowID == pointer.window) {
                    pointer.inside = false;
                }
                if (event.window.event != SDL_WINDOWEVENT_CLOSE) continue;
                msg.hwnd = HandleOf(event.window.windowID);
                msg.message = WM_CLOSE;
                break;
            case SDL_QUIT:
                // SIGINT or SIGTERM: a close request to every live window.
                for (auto& [id, window] : windows) {
                    if (window.destroyed) continue;
                    msg.hwnd = HandleOf(id);
                    msg.message = WM_CLOSE;
                    Enqueue(msg);
                }
                continue;
            case SDL_MOUSEMOTION:
                pointer = {event.motion.windowID, event.motion.x, event.motion.y, true, true};
                msg.hwnd = HandleOf(event.motion.windowID);
                msg.message = WM_MOUSEMOVE;
                msg.lParam = PointParam(event.motion.x, event.motion.y);
                break;
            case SDL_MOUSEBUTTONDOWN:
            case SDL_MOUSEBUTTONUP:
                pointer = {event.button.windowID, event.button.x, event.button.y, true, true};
                msg.message = ButtonMessage(event.button.button, event.type == SDL_MOUSEBUTTONDOWN);
                if (msg.message == WM_NULL) continue;
                msg.hwnd = HandleOf(event.button.windowID);
                msg.lParam = PointParam(event.button.x, event.button.y);
                break;
            case SDL_MOUSEWHEEL: {
                // The wheel message carries the pointer in screen coordinates.
                POINT screen{};
                if (event.wheel.y == 0 || !TrackedCursor(&screen)) continue;
                msg.hwnd = HandleOf(event.wheel.windowID);
                msg.message = WM_MOUSEWHEEL;
                msg.wParam = WheelParam(event.wheel);
                msg.lParam = PointParam(screen.x, screen.y);
                break;
            }
            case SDL_KEYDOWN:
            case SDL_KEYUP:
                msg.hwnd = HandleOf(event.key.windowID);
                msg.message = event.type == SDL_KEYDOWN ? WM_KEYDOWN : WM_KEYUP;
                msg.wParam = VirtualKey(event.key.keysym.sym);
                msg.lParam = KeyParam(event.type == SDL_KEYDOWN, event.key.repeat != 0);
                break;
            case SDL_TEXTINPUT:
                Typed(HandleOf(event.text.windowID), event.text.text);
                continue;
            default:
                continue;  // no Win32 message of interest
        }
        Enqueue(msg);
    }
}

void CSdlWindowSystem::Typed(HWND hwnd, const char* text) {
    std::string chars;
    // Bytes of multi-byte UTF-8 sequences are all 0x80 or above.
    for (const char* c = text; *c != '\0'; ++c) {
        if (*c >= 0x20 && *c < 0x7F) chars += *c;
    }
    for (auto press = typedByQueuedPress.rbegin(); press != typedByQueuedPress.rend(); ++press) {
        if (press->hwnd == hwnd) {
            press->chars += chars;
            return;
        }
    }
    for (const char c : chars) {
        MSG msg{};
        msg.hwnd = hwnd;
        msg.message = WM_CHAR;
        msg.wParam = static_cast<WPARAM>(c);
        msg.lParam = 1;
        msg.time = SDL_GetTicks();
        Enqueue(msg);
    }
}

MSG CSdlWindowSystem::Take(std::size_t index) {
    const auto at = queue.begin() + static_cast<std::ptrdiff_t>(index);
    const MSG msg = *at;
    if (msg.message == WM_KEYDOWN) {
        // Its typed characters are those of the n-th press in the queue.
        const auto n = std::count_if(queue.begin(), at, [](const MSG& queued) {
            return queued.message == WM_KEYDOWN;
        });
        const auto typed = typedByQueuedPress.begin() + n;
        if (typed < typedByQueuedPress.end()) {
            typedByTakenPress = *typed;
            typedByQueuedPress.erase(typed);
        }
    }
    queue.erase(at);
    const bool key = msg.message == WM_KEYDOWN || msg.message == WM_KEYUP;
    if (key && msg.wParam < keysByMessage.size()) {
        keysByMessage[msg.wParam] = msg.message == WM_KEYDOWN;
    }
    if (msg.message == WM_LBUTTONDOWN || msg.message == WM_LBUTTONUP) {
        keysByMessage[VK_LBUTTON] = msg.message == WM_LBUTTONDOWN;
    }
    if (msg.message == WM_RBUTTONDOWN || msg.message == WM_RBUTTONUP) {
        keysByMessage[VK_RBUTTON] = msg.message == WM_RBUTTONDOWN;
    }
    return msg;
}

bool CSdlWindowSystem::TrackedCursor(POINT* screen) const {
    if (!pointer.known || screen == nullptr) return false;
    const auto found = windows.find(pointer.window);
    if (found == windows.end()) return false;
    // A destroyed window is hidden but still where it was.
    SDL_Window* native = found->second.native.get();
    int left = 0;
    int top = 0;
    SDL_GetWindowPosition(native, &left, &top);
    int x = pointer.x;
    int y = pointer.y;
    if (!pointer.inside) {
        // The pointer has left the window, whose events stopped at the edge:
        // SDL clamps the last position into the client area. Where the
        // global state knows a position outside the window, that is where
        // the pointer is; X11 refreshes it only on raw input events, which
        // synthetic input never sends, so otherwise the pointer is put just
        // past the edge it left by.
        int width = 0;
        int height = 0;
        SDL_GetWindowSize(native, &width, &height);
        int globalX = 0;
        int globalY = 0;
        SDL_GetGlobalMouseState(&globalX, &globalY);
        const int gx = globalX - left;
        const int gy = globalY - top;
        if (gx < 0 || gy < 0 || gx >= width || gy >= height) {
            *screen = POINT{globalX, globalY};
            return true;
        }
        x = PastEdge(x, width);
        y = PastEdge(y, height);
    }
    *screen = POINT{left + x, top + y};
    return true;
}

bool CSdlWindowSystem::KeyDownByMessages(int virtualKey) const {
    const auto index = static_cast<std::size_t>(virtualKey);
    return virtualKey >= 0 && index < keysByMessage.size() && keysByMessage[index];
}

long CSdlWindowSystem::FindQueued(HWND hwnd, UINT filterMin, UINT filterMax) const {
    for (std::size_t i = 0; i < queue.size(); ++i) {
        const MSG& msg = queue[i];
        // WM_QUIT belongs to the thread, not to a window: any filter takes it.
        const bool windowMatches = hwnd == nullptr || msg.hwnd == hwnd || msg.message == WM_QUIT;
        const bool rangeMatches = (filterMin == 0 && filterMax == 0) ||
                                  (msg.message >= filterMin && msg.message <= filterMax);
        if (windowMatches && rangeMatches) return static_cast<long>(i);
    }
    return -1;
}

BOOL CSdlWindowSystem::PeekMessageA(MSG* msg, HWND hwnd, UINT filterMin, UINT filterMax,
                                    UINT removeFlags) {
    // One pump per call keeps the keyboard state fresh for the Escape poll.
    PumpIntoQueue();
    const long index = FindQueued(hwnd, filterMin, filterMax);
    if (index < 0) return FALSE;
    const auto at = static_cast<std::size_t>(index);
    if ((removeFlags & PM_REMOVE) != 0) {
        const MSG taken = Take(at);
        if (msg != nullptr) *msg = taken;
    } else if (msg != nullptr) {
        *msg = queue[at];
    }
    return TRUE;
}

BOOL CSdlWindowSystem::GetMessageA(MSG* msg, HWND hwnd, UINT filterMin, UINT filterMax) {
    long index = FindQueued(hwnd, filterMin, filterMax);
    while (index < 0) {
        // With no display no message can ever come: an error, not a hang.
        if (!videoAvailable) return -1;
        SDL_WaitEventTimeout(nullptr, 100);
        PumpIntoQueue();
        index = FindQueued(hwnd, filterMin, filterMax);
    }
    const MSG taken = Take(static_cast<std::size_t>(index));
    if (msg != nullptr) *msg = taken;
    return taken.message == WM_QUIT ? 0 : 1;
}

BOOL CSdlWindowSystem::TranslateMessage(const MSG* msg) {
    if (msg == nullptr) return FALSE;
    if (msg->message == WM_KEYDOWN && typedByTakenPress.hwnd == msg->hwnd) {
        const std::string chars = std::exchange(typedByTakenPress, {}).chars;
        // In reverse at the head, so they come out in the order typed.
        for (auto c = chars.rbegin(); c != chars.rend(); ++c) {
            MSG character = *msg;
            character.message = WM_CHAR;
            character.wParam = static_cast<WPARAM>(*c);
            queue.push_front(character);
        }
    }
    // Win32 answers nonzero for every key message, whatever it typed.
    return msg->message == WM_KEYDOWN || msg->message == WM_KEYUP ? TRUE : FALSE;
}

LRESULT CSdlWindowSystem::DispatchMessageA(const MSG* msg) {
    if (msg == nullptr) return 0;
    Window* window = FindLive(msg->hwnd);
    if (window == nullptr) return 0;  // the window is gone: Win32 drops it too
    return window->proc(msg->hwnd, msg->message, msg->wParam, msg->lParam);
}

LONG CSdlWindowSystem::SetWindowLongA(HWND hwnd, int index, LONG value) {
    Window* window = FindLive(hwnd);
    if (window == nullptr || index != GWL_STYLE) return 0;
    const auto previous = static_cast<LONG>(window->style);
    window->style = static_cast<DWORD>(value);
    // The frame goes or comes now; the size follows with SetWindowPos.
    SDL_SetWindowBordered(window->native.get(), HasFrame(window->style) ? SDL_TRUE : SDL_FALSE);
    if ((window->style & WS_VISIBLE) != 0) SDL_ShowWindow(window->native.get());
    return previous;
}

LONG_PTR CSdlWindowSystem::SetWindowLongPtrA(HWND hwnd, int index, LONG_PTR value) {
    Window* window = FindLive(hwnd);
    if (window == nullptr || index != GWLP_USERDATA) return 0;
    return std::exchange(window->userData, value);
}

LONG_PTR CSdlWindowSystem::GetWindowLongPtrA(HWND hwnd, int index) {
    Window* window = FindLive(hwnd);
    return window != nullptr && index == GWLP_USERDATA ? window->userData : 0;
}

BOOL CSdlWindowSystem::SetWindowPos(HWND hwnd, HWND, int x, int y, int cx, int cy, UINT flags) {
    Window* window = FindLive(hwnd);
    if (window == nullptr) return FALSE;
    SDL_Window* native = window->native.get();
    if ((flags & SWP_NOSIZE) == 0) {
        long clientWidth = cx;
        long clientHeight = cy;
        if (HasFrame(window->style)) {
            clientWidth -= 2L * kDialogFrame;
            clientHeight -= 2L * kDialogFrame + kCaption;
        }
        if (clientWidth < 1 || clientHeight < 1) return FALSE;
        SDL_SetWindowSize(native, static_cast<int>(clientWidth), static_cast<int>(clientHeight));
    }
    if ((flags & SWP_NOMOVE) == 0) SDL_SetWindowPosition(native, x, y);
    return TRUE;
}

BOOL CSdlWindowSystem::ScreenToClient(HWND hwnd, POINT* point) {
    SDL_Window* native = LiveWindow(hwnd);
    if (native == nullptr || point == nullptr) return FALSE;
    int left = 0;
    int top = 0;
    SDL_GetWindowPosition(native, &left, &top);
    point->x -= left;
    point->y -= top;
    return TRUE;
}

int CSdlWindowSystem::GetSystemMetrics(int index) {
    switch (index) {
        case SM_CXDLGFRAME:
        case SM_CYDLGFRAME:
            return kDialogFrame;
        case SM_CYCAPTION:
            return kCaption;
        default:
            return 0;
    }
}

HICON CSdlWindowSystem::LoadIconA(HINSTANCE, const char* name) {
    // The program is its only module, so the instance does not matter. Like a
    // Win32 resource icon, it is made once and shared by every caller.
    if (name == nullptr || std::strcmp(name, kIconResourceName) != 0) return nullptr;
    if (!icon1) icon1 = LoadSdlIconResource();
    return reinterpret_cast<HICON>(icon1.get());
}

HGDIOBJ CSdlWindowSystem::GetStockObject(int object) {
    // Only the black brush exists; SDL windows are cleared by the device.
    static char blackBrush;
    return object == BLACK_BRUSH ? &blackBrush : nullptr;
}
