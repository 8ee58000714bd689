// Forwarding of the Win32-named calls to the installed services.
#include "platform/Win32.h"

#include <chrono>
#include <ctime>

namespace {
Win32Services g_services;
}  // namespace

CWin32ServicesScope::CWin32ServicesScope(const Win32Services& services) : previous(g_services) {
    if (services.windows != nullptr) g_services.windows = services.windows;
    if (services.dialogs != nullptr) g_services.dialogs = services.dialogs;
    if (services.clock != nullptr) g_services.clock = services.clock;
    if (services.input != nullptr) g_services.input = services.input;
}

CWin32ServicesScope::~CWin32ServicesScope() { g_services = previous; }

ATOM RegisterClassExA(const WNDCLASSEXA* windowClass) {
    return g_services.windows ? g_services.windows->RegisterClassExA(windowClass) : 0;
}

HWND CreateWindowExA(DWORD exStyle, const char* className, const char* windowName, DWORD style,
                     int x, int y, int width, int height, HWND parent, HMENU menu,
                     HINSTANCE instance, void* param) {
    if (!g_services.windows) return nullptr;
    return g_services.windows->CreateWindowExA(exStyle, className, windowName, style, x, y, width,
                                               height, parent, menu, instance, param);
}

BOOL ShowWindow(HWND hwnd, int command) {
    return g_services.windows ? g_services.windows->ShowWindow(hwnd, command) : FALSE;
}

BOOL UpdateWindow(HWND hwnd) {
    return g_services.windows ? g_services.windows->UpdateWindow(hwnd) : FALSE;
}

BOOL DestroyWindow(HWND hwnd) {
    return g_services.windows ? g_services.windows->DestroyWindow(hwnd) : FALSE;
}

LRESULT DefWindowProcA(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    return g_services.windows ? g_services.windows->DefWindowProcA(hwnd, message, wParam, lParam)
                              : 0;
}

void PostQuitMessage(int exitCode) {
    if (g_services.windows) g_services.windows->PostQuitMessage(exitCode);
}

BOOL PeekMessageA(MSG* msg, HWND hwnd, UINT filterMin, UINT filterMax, UINT removeFlags) {
    if (!g_services.windows) return FALSE;
    return g_services.windows->PeekMessageA(msg, hwnd, filterMin, filterMax, removeFlags);
}

BOOL GetMessageA(MSG* msg, HWND hwnd, UINT filterMin, UINT filterMax) {
    // Win32 returns -1 on an error; with no window system there is no queue.
    return g_services.windows ? g_services.windows->GetMessageA(msg, hwnd, filterMin, filterMax)
                              : -1;
}

BOOL TranslateMessage(const MSG* msg) {
    return g_services.windows ? g_services.windows->TranslateMessage(msg) : FALSE;
}

LRESULT DispatchMessageA(const MSG* msg) {
    return g_services.windows ? g_services.windows->DispatchMessageA(msg) : 0;
}

LONG SetWindowLongA(HWND hwnd, int index, LONG value) {
    return g_services.windows ? g_services.windows->SetWindowLongA(hwnd, index, value) : 0;
}

LONG_PTR SetWindowLongPtrA(HWND hwnd, int index, LONG_PTR value) {
    return g_services.windows ? g_services.windows->SetWindowLongPtrA(hwnd, index, value) : 0;
}

LONG_PTR GetWindowLongPtrA(HWND hwnd, int index) {
    return g_services.windows ? g_services.windows->GetWindowLongPtrA(hwnd, index) : 0;
}

BOOL SetWindowPos(HWND hwnd, HWND insertAfter, int x, int y, int cx, int cy, UINT flags) {
    if (!g_services.windows) return FALSE;
    return g_services.windows->SetWindowPos(hwnd, insertAfter, x, y, cx, cy, flags);
}

BOOL ScreenToClient(HWND hwnd, POINT* point) {
    return g_services.windows ? g_services.windows->ScreenToClient(hwnd, point) : FALSE;
}

int GetSystemMetrics(int index) {
    return g_services.windows ? g_services.windows->GetSystemMetrics(index) : 0;
}

HICON LoadIconA(HINSTANCE instance, const char* name) {
    return g_services.windows ? g_services.windows->LoadIconA(instance, name) : nullptr;
}

HGDIOBJ GetStockObject(int object) {
    return g_services.windows ? g_services.windows->GetStockObject(object) : nullptr;
}

int MessageBoxA(HWND owner, const char* text, const char* caption, UINT type) {
    return g_services.dialogs ? g_services.dialogs->MessageBoxA(owner, text, caption, type) : 0;
}

DWORD timeGetTime() { return g_services.clock ? g_services.clock->timeGetTime() : 0; }

UINT timeBeginPeriod(UINT period) {
    return g_services.clock ? g_services.clock->timeBeginPeriod(period) : 0;
}

UINT timeEndPeriod(UINT period) {
    return g_services.clock ? g_services.clock->timeEndPeriod(period) : 0;
}

void Sleep(DWORD milliseconds) {
    if (g_services.clock) g_services.clock->Sleep(milliseconds);
}

short GetKeyState(int virtualKey) {
    return g_services.input ? g_services.input->GetKeyState(virtualKey) : 0;
}

BOOL GetCursorPos(POINT* point) {
    return g_services.input ? g_services.input->GetCursorPos(point) : FALSE;
}

std::int64_t _time64(std::int64_t* out) {
    const auto now = static_cast<std::int64_t>(std::time(nullptr));
    if (out != nullptr) *out = now;
    return now;
}

void GetLocalTime(SYSTEMTIME* time) {
    if (time == nullptr) return;
    const auto now = std::chrono::system_clock::now();
    const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
    const auto sinceEpoch = std::chrono::duration_cast<std::chrono::milliseconds>(
        now.time_since_epoch());
    std::tm local{};
    localtime_r(&seconds, &local);
    time->wYear = static_cast<WORD>(local.tm_year + 1900);
    time->wMonth = static_cast<WORD>(local.tm_mon + 1);
    time->wDayOfWeek = static_cast<WORD>(local.tm_wday);
    time->wDay = static_cast<WORD>(local.tm_mday);
    time->wHour = static_cast<WORD>(local.tm_hour);
    time->wMinute = static_cast<WORD>(local.tm_min);
    time->wSecond = static_cast<WORD>(local.tm_sec);
    time->wMilliseconds = static_cast<WORD>(sinceEpoch.count() % 1000);
}
