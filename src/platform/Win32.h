// The Win32 stand-in: the window, message, dialog, timer and input calls that
// the program makes, with Win32's names, constants and semantics. Each call
// forwards to one of the small service interfaces below; the program
// installs the SDL2 implementations, tests install fakes. With no service
// installed a call fails the way Win32 fails (null handle, 0, FALSE).
#pragma once

// On Windows the program builds against the system's own headers instead:
// windows.h, mmsystem.h for the multimedia timer, time.h for _time64.
#ifdef _WIN32
#include <windows.h>
#include <mmsystem.h>
#include <time.h>
#else
#include <cstdint>

#include "platform/WinTypes.h"

// ---------------------------------------------------------------------------
// Types

using WNDPROC = LRESULT (*)(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

struct WNDCLASSEXA {
    UINT cbSize;
    UINT style;
    WNDPROC lpfnWndProc;
    int cbClsExtra;
    int cbWndExtra;
    HINSTANCE hInstance;
    HICON hIcon;
    HCURSOR hCursor;
    HBRUSH hbrBackground;
    const char* lpszMenuName;
    const char* lpszClassName;
    HICON hIconSm;
};

struct SYSTEMTIME {
    WORD wYear;
    WORD wMonth;      // 1 (January) .. 12
    WORD wDayOfWeek;  // 0 (Sunday) .. 6
    WORD wDay;
    WORD wHour;
    WORD wMinute;
    WORD wSecond;
    WORD wMilliseconds;
};

struct MSG {
    HWND hwnd;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    DWORD time;
    POINT pt;
};

// ---------------------------------------------------------------------------
// Constants (Win32 values)

constexpr UINT WM_NULL = 0x0000;
constexpr UINT WM_DESTROY = 0x0002;
constexpr UINT WM_CLOSE = 0x0010;
constexpr UINT WM_QUIT = 0x0012;
constexpr UINT WM_KEYDOWN = 0x0100;
constexpr UINT WM_KEYUP = 0x0101;
constexpr UINT WM_CHAR = 0x0102;
constexpr UINT WM_MOUSEMOVE = 0x0200;
constexpr UINT WM_LBUTTONDOWN = 0x0201;
constexpr UINT WM_LBUTTONUP = 0x0202;
constexpr UINT WM_RBUTTONDOWN = 0x0204;
constexpr UINT WM_RBUTTONUP = 0x0205;
// wParam: the wheel's turn in the high word (see GET_WHEEL_DELTA_WPARAM), the
// buttons held (MK_*) in the low word; lParam: the pointer in screen
// coordinates, unlike the button messages' client coordinates.
constexpr UINT WM_MOUSEWHEEL = 0x020A;

// Buttons held, in the low word of a mouse message's wParam.
constexpr WPARAM MK_LBUTTON = 0x0001;
constexpr WPARAM MK_RBUTTON = 0x0002;

// One notch of the wheel; positive turns away from the user.
constexpr int WHEEL_DELTA = 120;

constexpr UINT PM_NOREMOVE = 0x0000;
constexpr UINT PM_REMOVE = 0x0001;

// Flags of HIWORD(lParam) of a key message (bits 0-15 of lParam are the
// repeat count): the key was already down, so this is an auto-repeat; the
// key is being released.
constexpr WORD KF_REPEAT = 0x4000;
constexpr WORD KF_UP = 0x8000;

constexpr int VK_LBUTTON = 0x01;
constexpr int VK_RBUTTON = 0x02;
constexpr int VK_BACK = 0x08;
constexpr int VK_SHIFT = 0x10;
constexpr int VK_CONTROL = 0x11;
constexpr int VK_ESCAPE = 0x1B;
constexpr int VK_SPACE = 0x20;
constexpr int VK_LEFT = 0x25;
constexpr int VK_UP = 0x26;
constexpr int VK_RIGHT = 0x27;
constexpr int VK_DOWN = 0x28;
constexpr int VK_F1 = 0x70;
// Letter keys have no VK_ names: their codes are the capital letters, 'L'
// (0x4C), 'R' (0x52) and 'S' (0x53) among them.

constexpr int SW_HIDE = 0;
constexpr int SW_SHOW = 5;

constexpr DWORD WS_POPUP = 0x80000000u;
constexpr DWORD WS_VISIBLE = 0x10000000u;
constexpr DWORD WS_CAPTION = 0x00C00000u;
constexpr DWORD WS_SYSMENU = 0x00080000u;
constexpr DWORD WS_THICKFRAME = 0x00040000u;
constexpr DWORD WS_MINIMIZEBOX = 0x00020000u;
constexpr DWORD WS_MAXIMIZEBOX = 0x00010000u;

constexpr int GWL_STYLE = -16;
constexpr int GWLP_USERDATA = -21;

constexpr UINT SWP_NOSIZE = 0x0001;
constexpr UINT SWP_NOMOVE = 0x0002;
constexpr UINT SWP_FRAMECHANGED = 0x0020;

constexpr int CW_USEDEFAULT = static_cast<int>(0x80000000u);

constexpr int SM_CYCAPTION = 4;
constexpr int SM_CXDLGFRAME = 7;
constexpr int SM_CYDLGFRAME = 8;

constexpr int BLACK_BRUSH = 4;

constexpr UINT MB_OK = 0x00000000;
constexpr UINT MB_YESNO = 0x00000004;
constexpr UINT MB_ICONERROR = 0x00000010;

constexpr int IDOK = 1;
constexpr int IDYES = 6;
constexpr int IDNO = 7;

// The words of a message parameter, as the Windows headers' macros of the
// same names read them: the wheel's signed turn, and a point's signed
// coordinates (windowsx.h).
constexpr short GET_WHEEL_DELTA_WPARAM(WPARAM wParam) {
    return static_cast<short>(static_cast<WORD>(wParam >> 16));
}
constexpr int GET_X_LPARAM(LPARAM lParam) {
    return static_cast<short>(static_cast<WORD>(static_cast<std::uintptr_t>(lParam)));
}
constexpr int GET_Y_LPARAM(LPARAM lParam) {
    return static_cast<short>(static_cast<WORD>(static_cast<std::uintptr_t>(lParam) >> 16));
}

// ---------------------------------------------------------------------------
// Service interfaces

// Window classes, windows and the thread's message queue.
class IWindowSystem {
public:
    virtual ~IWindowSystem() = default;
    virtual ATOM RegisterClassExA(const WNDCLASSEXA* windowClass) = 0;
    virtual HWND CreateWindowExA(DWORD exStyle, const char* className, const char* windowName,
                                 DWORD style, int x, int y, int width, int height, HWND parent,
                                 HMENU menu, HINSTANCE instance, void* param) = 0;
    virtual BOOL ShowWindow(HWND hwnd, int command) = 0;
    virtual BOOL UpdateWindow(HWND hwnd) = 0;
    virtual BOOL DestroyWindow(HWND hwnd) = 0;
    virtual LRESULT DefWindowProcA(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) = 0;
    virtual void PostQuitMessage(int exitCode) = 0;
    virtual BOOL PeekMessageA(MSG* msg, HWND hwnd, UINT filterMin, UINT filterMax,
                              UINT removeFlags) = 0;
    virtual BOOL GetMessageA(MSG* msg, HWND hwnd, UINT filterMin, UINT filterMax) = 0;
    virtual BOOL TranslateMessage(const MSG* msg) = 0;
    virtual LRESULT DispatchMessageA(const MSG* msg) = 0;
    virtual LONG SetWindowLongA(HWND hwnd, int index, LONG value) = 0;
    // GWLP_USERDATA only: the value the window keeps for its program.
    virtual LONG_PTR SetWindowLongPtrA(HWND hwnd, int index, LONG_PTR value) = 0;
    virtual LONG_PTR GetWindowLongPtrA(HWND hwnd, int index) = 0;
    virtual BOOL SetWindowPos(HWND hwnd, HWND insertAfter, int x, int y, int cx, int cy,
                              UINT flags) = 0;
    virtual BOOL ScreenToClient(HWND hwnd, POINT* point) = 0;
    virtual int GetSystemMetrics(int index) = 0;
    virtual HICON LoadIconA(HINSTANCE instance, const char* name) = 0;
    virtual HGDIOBJ GetStockObject(int object) = 0;
};

// Message boxes.
class IDialogs {
public:
    virtual ~IDialogs() = default;
    virtual int MessageBoxA(HWND owner, const char* text, const char* caption, UINT type) = 0;
};

// The multimedia timer and Sleep: unsigned 32-bit milliseconds that wrap.
class IClock {
public:
    virtual ~IClock() = default;
    virtual DWORD timeGetTime() = 0;
    virtual UINT timeBeginPeriod(UINT period) = 0;
    virtual UINT timeEndPeriod(UINT period) = 0;
    virtual void Sleep(DWORD milliseconds) = 0;
};

// Polled input: key state and the cursor in screen coordinates.
class IInput {
public:
    virtual ~IInput() = default;
    // Bit 0x80 set while the key or button is down.
    virtual short GetKeyState(int virtualKey) = 0;
    virtual BOOL GetCursorPos(POINT* point) = 0;
};

struct Win32Services {
    IWindowSystem* windows = nullptr;
    IDialogs* dialogs = nullptr;
    IClock* clock = nullptr;
    IInput* input = nullptr;
};

// Installs services for the lifetime of the object and restores the previous
// set when it goes. Null members keep the previously installed service.
class CWin32ServicesScope {
public:
    explicit CWin32ServicesScope(const Win32Services& services);
    ~CWin32ServicesScope();
    CWin32ServicesScope(const CWin32ServicesScope&) = delete;
    CWin32ServicesScope& operator=(const CWin32ServicesScope&) = delete;

private:
    Win32Services previous;
};

// ---------------------------------------------------------------------------
// The calls, with Win32's names, forwarding to the installed services.

ATOM RegisterClassExA(const WNDCLASSEXA* windowClass);
HWND CreateWindowExA(DWORD exStyle, const char* className, const char* windowName, DWORD style,
                     int x, int y, int width, int height, HWND parent, HMENU menu,
                     HINSTANCE instance, void* param);
BOOL ShowWindow(HWND hwnd, int command);
BOOL UpdateWindow(HWND hwnd);
BOOL DestroyWindow(HWND hwnd);
LRESULT DefWindowProcA(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
void PostQuitMessage(int exitCode);
BOOL PeekMessageA(MSG* msg, HWND hwnd, UINT filterMin, UINT filterMax, UINT removeFlags);
BOOL GetMessageA(MSG* msg, HWND hwnd, UINT filterMin, UINT filterMax);
BOOL TranslateMessage(const MSG* msg);
LRESULT DispatchMessageA(const MSG* msg);
LONG SetWindowLongA(HWND hwnd, int index, LONG value);
LONG_PTR SetWindowLongPtrA(HWND hwnd, int index, LONG_PTR value);
LONG_PTR GetWindowLongPtrA(HWND hwnd, int index);
BOOL SetWindowPos(HWND hwnd, HWND insertAfter, int x, int y, int cx, int cy, UINT flags);
BOOL ScreenToClient(HWND hwnd, POINT* point);
int GetSystemMetrics(int index);
HICON LoadIconA(HINSTANCE instance, const char* name);
HGDIOBJ GetStockObject(int object);
int MessageBoxA(HWND owner, const char* text, const char* caption, UINT type);
DWORD timeGetTime();
UINT timeBeginPeriod(UINT period);
UINT timeEndPeriod(UINT period);
void Sleep(DWORD milliseconds);
short GetKeyState(int virtualKey);
BOOL GetCursorPos(POINT* point);

// The calendar time in seconds: the C runtime's _time64.
std::int64_t _time64(std::int64_t* out);
// The date and time of the local time zone.
void GetLocalTime(SYSTEMTIME* time);

#endif  // _WIN32
