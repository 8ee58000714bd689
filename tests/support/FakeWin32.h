// Fakes of the four Win32 services for unit tests: a clock that tests move
// by hand, polled input with settable keys and cursor, a window system with a
// real message queue and window procedures, and message boxes with scripted
// answers. The fakes note the calls that tests check in a call log,
// the one a recording Direct3D may write to as well, so a test can check the
// order of things across services and the device. Notes are named after the
// call, their text has the arguments: "DispatchMessageA(hwnd#1, 0x10)".
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/Win32.h"
#include "platform/d3d9/recording/CRecordingCallLog.h"

namespace fake {

inline std::string Dec(long long value) { return std::to_string(value); }
inline std::string Hex(DWORD value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%X", static_cast<unsigned>(value));
    return text;
}
inline std::string Text(const char* text) { return text != nullptr ? text : "null"; }
// "hwnd#N" for the fake handles, "null" for a null one.
inline std::string Handle(HWND hwnd) {
    if (hwnd == nullptr) return "null";
    return "hwnd#" + Dec(reinterpret_cast<std::uintptr_t>(hwnd));
}
inline std::string Message(const MSG& msg) { return Handle(msg.hwnd) + ", " + Hex(msg.message); }
// Notes the call `name` with its arguments, already as text.
template <typename... Args>
void Note(CRecordingCallLog& callLog, const std::string& name, const Args&... args) {
    std::string text;
    ((text += (text.empty() ? "" : ", ") + std::string(args)), ...);
    callLog.Note(name, name + "(" + text + ")", S_OK);
}

}  // namespace fake

class CFakeClock : public IClock {
public:
    explicit CFakeClock(CRecordingCallLog& log) : log(log) {}

    // onTimeGetTime runs with the 0-based index of the call before `now` is
    // read: lets a test script the time.
    DWORD timeGetTime() override {
        if (onTimeGetTime) onTimeGetTime(calls);
        ++calls;
        return now;
    }
    UINT timeBeginPeriod(UINT period) override {
        fake::Note(log, "timeBeginPeriod", fake::Dec(period));
        return 0;
    }
    UINT timeEndPeriod(UINT period) override {
        fake::Note(log, "timeEndPeriod", fake::Dec(period));
        return 0;
    }
    // Advances `now` by the requested time plus `sleepOverrun`.
    void Sleep(DWORD milliseconds) override {
        fake::Note(log, "Sleep", fake::Dec(milliseconds));
        now += milliseconds + sleepOverrun;
    }

    DWORD now = 0;
    DWORD sleepOverrun = 0;
    std::function<void(int call)> onTimeGetTime;

private:
    int calls = 0;
    CRecordingCallLog& log;
};

class CFakeInput : public IInput {
public:
    explicit CFakeInput(CRecordingCallLog& log) : log(log) {}

    // A key held down reads with bit 0x80 set, as Win32's high bit does.
    short GetKeyState(int virtualKey) override {
        fake::Note(log, "GetKeyState", fake::Dec(virtualKey));
        return keys[virtualKey] ? static_cast<short>(0xFF80) : short{0};
    }
    BOOL GetCursorPos(POINT* point) override {
        *point = cursor;
        return TRUE;
    }

    void SetKey(int virtualKey, bool down) { keys[virtualKey] = down; }
    POINT cursor{0, 0};  // screen coordinates; the fake client area sits at the origin

private:
    std::map<int, bool> keys;
    CRecordingCallLog& log;
};

// Windows are handles 1, 2, ...; a window has its class's procedure.
class CFakeWindowSystem : public IWindowSystem {
public:
    explicit CFakeWindowSystem(CRecordingCallLog& log) : log(log) {}

    ATOM RegisterClassExA(const WNDCLASSEXA* windowClass) override {
        classes[windowClass->lpszClassName] = windowClass->lpfnWndProc;
        return static_cast<ATOM>(classes.size());
    }
    HWND CreateWindowExA(DWORD exStyle, const char* className, const char* windowName,
                         DWORD style, int, int, int width, int height, HWND, HMENU, HINSTANCE,
                         void*) override {
        fake::Note(log, "CreateWindowExA", fake::Hex(exStyle), fake::Text(className),
                   fake::Text(windowName), fake::Hex(style), fake::Dec(width), fake::Dec(height));
        if (!classes.contains(fake::Text(className))) return nullptr;
        procs.push_back(classes[className]);
        return reinterpret_cast<HWND>(static_cast<std::uintptr_t>(procs.size()));
    }
    BOOL ShowWindow(HWND, int) override { return FALSE; }
    BOOL UpdateWindow(HWND hwnd) override { return IsLive(hwnd); }
    // Destroying a live window sends it WM_DESTROY.
    BOOL DestroyWindow(HWND hwnd) override {
        fake::Note(log, "DestroyWindow", fake::Handle(hwnd));
        if (!IsLive(hwnd)) return FALSE;
        const WNDPROC proc = std::exchange(procs[Index(hwnd)], nullptr);
        proc(hwnd, WM_DESTROY, 0, 0);
        return TRUE;
    }
    LRESULT DefWindowProcA(HWND, UINT, WPARAM, LPARAM) override { return 0; }
    void PostQuitMessage(int exitCode) override {
        fake::Note(log, "PostQuitMessage", fake::Dec(exitCode));
        Post(nullptr, WM_QUIT, static_cast<WPARAM>(exitCode));
    }
    BOOL PeekMessageA(MSG* msg, HWND, UINT, UINT, UINT removeFlags) override {
        if (onPeek) onPeek(++peekCalls);
        fake::Note(log, "PeekMessageA", fake::Dec(removeFlags));
        if (queue.empty()) return FALSE;
        *msg = queue.front();
        if ((removeFlags & PM_REMOVE) != 0) queue.pop_front();
        return TRUE;
    }
    // The real call would block on an empty queue; a test that gets there
    // has a fault, which -1 (the Win32 error result) makes visible.
    BOOL GetMessageA(MSG* msg, HWND, UINT, UINT) override {
        if (queue.empty()) return -1;
        *msg = queue.front();
        queue.pop_front();
        fake::Note(log, "GetMessageA", fake::Message(*msg));
        return msg->message == WM_QUIT ? 0 : 1;
    }
    BOOL TranslateMessage(const MSG*) override { return FALSE; }
    LRESULT DispatchMessageA(const MSG* msg) override {
        fake::Note(log, "DispatchMessageA", fake::Message(*msg));
        if (!IsLive(msg->hwnd)) return 0;
        return procs[Index(msg->hwnd)](msg->hwnd, msg->message, msg->wParam, msg->lParam);
    }
    LONG SetWindowLongA(HWND hwnd, int index, LONG value) override {
        fake::Note(log, "SetWindowLongA", fake::Handle(hwnd), fake::Dec(index),
                   fake::Hex(static_cast<DWORD>(value)));
        return 0;
    }
    LONG_PTR SetWindowLongPtrA(HWND hwnd, int index, LONG_PTR value) override {
        if (!IsLive(hwnd) || index != GWLP_USERDATA) return 0;
        return std::exchange(userData[hwnd], value);
    }
    LONG_PTR GetWindowLongPtrA(HWND hwnd, int index) override {
        return IsLive(hwnd) && index == GWLP_USERDATA ? userData[hwnd] : 0;
    }
    BOOL SetWindowPos(HWND hwnd, HWND after, int x, int y, int cx, int cy, UINT flags) override {
        fake::Note(log, "SetWindowPos", fake::Handle(hwnd), fake::Handle(after), fake::Dec(x),
                   fake::Dec(y), fake::Dec(cx), fake::Dec(cy), fake::Hex(flags));
        return IsLive(hwnd);
    }
    BOOL ScreenToClient(HWND hwnd, POINT*) override { return IsLive(hwnd); }
    // The dialog frame is 3 pixels and the caption 20.
    int GetSystemMetrics(int index) override { return index == SM_CYCAPTION ? 20 : 3; }
    HICON LoadIconA(HINSTANCE, const char*) override { return nullptr; }
    HGDIOBJ GetStockObject(int) override { return nullptr; }

    // Queues a message as PostMessage would.
    void Post(HWND hwnd, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
        queue.push_back(MSG{hwnd, message, wParam, lParam, 0, {}});
    }
    // Posts WM_CLOSE to window 1 just before the `pass`-th call of
    // PeekMessageA (1-based), i.e. at the message step of that pass.
    void CloseAtPass(int pass) {
        onPeek = [this, pass](int call) {
            if (call == pass) Post(reinterpret_cast<HWND>(std::uintptr_t{1}), WM_CLOSE);
        };
    }

    // Run with the 1-based call count at the start of each PeekMessageA.
    std::function<void(int call)> onPeek;

private:
    std::size_t Index(HWND hwnd) const { return reinterpret_cast<std::uintptr_t>(hwnd) - 1; }
    // A created window not yet destroyed (the procedure is dropped then).
    BOOL IsLive(HWND hwnd) const { return Index(hwnd) < procs.size() && procs[Index(hwnd)]; }

    std::map<std::string, WNDPROC> classes;
    std::vector<WNDPROC> procs;  // of window N at N - 1
    std::map<HWND, LONG_PTR> userData;
    std::deque<MSG> queue;
    int peekCalls = 0;
    CRecordingCallLog& log;
};

class CFakeDialogs : public IDialogs {
public:
    explicit CFakeDialogs(CRecordingCallLog& log) : log(log) {}

    // Answers from `answers` in order; when it runs dry, IDNO for a question
    // (MB_YESNO) and IDOK for anything else.
    int MessageBoxA(HWND owner, const char* text, const char* caption, UINT type) override {
        fake::Note(log, "MessageBoxA", fake::Handle(owner), fake::Text(text), fake::Text(caption),
                   fake::Hex(type));
        if (answers.empty()) return type == MB_YESNO ? IDNO : IDOK;
        const int answer = answers.front();
        answers.pop_front();
        return answer;
    }

    std::deque<int> answers;

private:
    CRecordingCallLog& log;
};

// All four fakes noting calls in one call log, installed for the lifetime of
// the object.
class CFakeWin32 {
public:
    explicit CFakeWin32(std::shared_ptr<CRecordingCallLog> shared = nullptr)
        : callLog(shared ? shared : std::make_shared<CRecordingCallLog>()),
          scope(Win32Services{&windows, &dialogs, &clock, &input}) {}

    std::shared_ptr<CRecordingCallLog> callLog;
    CFakeWindowSystem windows{*callLog};
    CFakeDialogs dialogs{*callLog};
    CFakeClock clock{*callLog};
    CFakeInput input{*callLog};

private:
    CWin32ServicesScope scope;
};
