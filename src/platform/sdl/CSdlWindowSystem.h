// The Win32 window system on SDL2: window classes, windows and the thread's
// message queue. A handle is the SDL window ID (SdlWindowHandles.h).
//
// Key presses become WM_KEYDOWN (bit 30 of lParam set on SDL's auto-repeats)
// and WM_KEYUP; the characters a press types come from SDL_TEXTINPUT, kept
// with the press they came with until TranslateMessage is given that press,
// which puts them at the head of the queue as WM_CHAR, as Win32's does. Only
// printable ASCII characters are made; text that comes with no press waiting
// in the queue (an input method's) is queued as WM_CHAR directly.
//
// Destroying a window hides it and sends WM_DESTROY, but the native window
// lives on until this object goes: the device may still draw into it until
// the end of the main loop, and a freed native window would crash that.
#pragma once

#include <SDL.h>

#include <array>
#include <deque>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/Win32.h"
#include "platform/sdl/SdlIconResource.h"

class CSdlWindowSystem : public IWindowSystem {
public:
    // Frame metrics reported by GetSystemMetrics and subtracted again when a
    // window is made, so the client area is exactly what the caller asked
    // for; SDL sizes windows by their client area.
    static constexpr int kDialogFrame = 3;
    static constexpr int kCaption = 20;

    // With `videoAvailable` false no window can be made.
    explicit CSdlWindowSystem(bool videoAvailable);
    ~CSdlWindowSystem() override;
    CSdlWindowSystem(const CSdlWindowSystem&) = delete;
    CSdlWindowSystem& operator=(const CSdlWindowSystem&) = delete;

    ATOM RegisterClassExA(const WNDCLASSEXA* windowClass) override;
    HWND CreateWindowExA(DWORD exStyle, const char* className, const char* windowName,
                         DWORD style, int x, int y, int width, int height, HWND parent,
                         HMENU menu, HINSTANCE instance, void* param) override;
    BOOL ShowWindow(HWND hwnd, int command) override;
    BOOL UpdateWindow(HWND hwnd) override;
    BOOL DestroyWindow(HWND hwnd) override;
    LRESULT DefWindowProcA(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) override;
    void PostQuitMessage(int exitCode) override;
    BOOL PeekMessageA(MSG* msg, HWND hwnd, UINT filterMin, UINT filterMax,
                      UINT removeFlags) override;
    BOOL GetMessageA(MSG* msg, HWND hwnd, UINT filterMin, UINT filterMax) override;
    BOOL TranslateMessage(const MSG* msg) override;
    LRESULT DispatchMessageA(const MSG* msg) override;
    LONG SetWindowLongA(HWND hwnd, int index, LONG value) override;
    LONG_PTR SetWindowLongPtrA(HWND hwnd, int index, LONG_PTR value) override;
    LONG_PTR GetWindowLongPtrA(HWND hwnd, int index) override;
    BOOL SetWindowPos(HWND hwnd, HWND insertAfter, int x, int y, int cx, int cy,
                      UINT flags) override;
    BOOL ScreenToClient(HWND hwnd, POINT* point) override;
    int GetSystemMetrics(int index) override;
    HICON LoadIconA(HINSTANCE instance, const char* name) override;
    HGDIOBJ GetStockObject(int object) override;

    // Queues a message for a live window, as Win32's PostMessageA does.
    BOOL PostMessageA(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

    // Whether the video subsystem started, so that windows and boxes can be shown.
    bool VideoAvailable() const { return videoAvailable; }
    // The native window of a handle that has not been destroyed, else null.
    SDL_Window* LiveWindow(HWND hwnd);
    // Client size of a live window; false for any other handle.
    bool GetClientSize(HWND hwnd, int* width, int* height);
    // Frees every native window; the platform calls it after the device is gone.
    void FreeNativeWindows();
    // Whether the key messages taken from the queue so far leave the key down:
    // Win32's GetKeyState follows the messages the thread has read, so a
    // press is seen even when it was released again before the next pump.
    bool KeyDownByMessages(int virtualKey) const;
    // Where the pointer is as this system's windows have seen it, in screen
    // coordinates: its last position in a window, or, once it has left the
    // window, a position outside it. False before any pointer event has come in.
    bool TrackedCursor(POINT* screen) const;

private:
    struct NativeWindowDeleter {
        void operator()(SDL_Window* window) const { SDL_DestroyWindow(window); }
    };
    struct Window {
        std::unique_ptr<SDL_Window, NativeWindowDeleter> native;
        WNDPROC proc = nullptr;
        DWORD style = 0;
        LONG_PTR userData = 0;
        bool destroyed = false;
    };

    struct WindowClass {
        WNDPROC proc = nullptr;
        HICON icon = nullptr;
    };

    Window* FindLive(HWND hwnd);
    // Moves every pending SDL event into the message queue.
    void PumpIntoQueue();
    void Enqueue(const MSG& msg);
    // Takes the message at `index` out of the queue; key state follows
    // every message the thread takes.
    MSG Take(std::size_t index);
    // Keeps typed text with the last press of its window still queued.
    void Typed(HWND hwnd, const char* text);
    // Index of the first queued message matching the filter, or -1.
    long FindQueued(HWND hwnd, UINT filterMin, UINT filterMax) const;

    bool videoAvailable;
    std::map<std::string, WindowClass> classes;
    // The icon resource, decoded by the first LoadIconA that asks for it; its
    // handle is the surface.
    SdlSurfacePtr icon1;
    std::map<Uint32, Window> windows;  // by SDL window ID
    std::deque<MSG> queue;
    // The characters typed by each WM_KEYDOWN in the queue, in queue order.
    struct TypedChars {
        HWND hwnd = nullptr;
        std::string chars;
    };
    std::deque<TypedChars> typedByQueuedPress;
    // Those of the press taken last, for TranslateMessage.
    TypedChars typedByTakenPress;
    std::array<bool, 256> keysByMessage{};
    struct Pointer {
        Uint32 window = 0;
        int x = 0;  // client coordinates of `window`
        int y = 0;
        bool known = false;
        bool inside = false;  // false once the window has reported the pointer leaving
    };
    Pointer pointer;
};
