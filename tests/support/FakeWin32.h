// Fakes of the four Win32 services for unit tests: a clock that tests move
// by hand, polled input with settable keys and cursor, a window system with a
// real message queue and window procedures, and message boxes with scripted
// answers. Every fake writes what it is asked into one shared, ordered event
// log, so a test can check the order of things across services (and, with an
// attached recording journal, across the device as well).
//
// Log entries read like calls: "timeGetTime", "Sleep(6)",
// "DestroyWindow(hwnd#1)", "MessageBoxA(null, <text>, <caption>, 0x10)".
// Entries copied from a recording journal carry the prefix "d3d:" followed by
// the journal's call name ("d3d:D3D9.CreateDevice", "d3d:Release").
#pragma once

#include <cstddef>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Win32.h"

class CRecordingJournal;

// The shared, ordered log of everything the fakes were asked.
class CEventLog {
public:
    static constexpr std::size_t npos = static_cast<std::size_t>(-1);

    void Add(std::string entry);
    // Copies the journal's calls into this log as they happen: before every
    // new entry and before every read, the journal's calls made since the
    // last copy are appended, so the interleaving is exact.
    void AttachJournal(std::shared_ptr<CRecordingJournal> journal);

    const std::vector<std::string>& Entries();
    // Entries equal to `entry`, or starting with it when it ends in '('.
    std::size_t Count(std::string_view entry);
    // Index of the first matching entry at or after `from`, or npos.
    std::size_t Find(std::string_view entry, std::size_t from = 0);
    bool Contains(std::string_view entry) { return Find(entry) != npos; }
    void Clear();
    // The whole log, one entry a line, for failure messages.
    std::string Dump();

private:
    void SyncJournal();
    static bool Matches(std::string_view logged, std::string_view wanted);

    std::vector<std::string> entries;
    std::shared_ptr<CRecordingJournal> journal;
    std::size_t journalCopied = 0;
};

// "hwnd#N" for the fake handles, "null" for a null one.
std::string HandleName(HWND hwnd);

class CFakeClock : public IClock {
public:
    explicit CFakeClock(CEventLog& log) : log(log) {}

    DWORD timeGetTime() override;
    UINT timeBeginPeriod(UINT period) override;
    UINT timeEndPeriod(UINT period) override;
    // Advances `now` by the requested time plus `sleepOverrun`.
    void Sleep(DWORD milliseconds) override;

    DWORD now = 0;
    DWORD sleepOverrun = 0;
    // Run after each timeGetTime has been logged and before it reads `now`,
    // with the 0-based index of the call: lets a test script the time.
    std::function<void(int call)> onTimeGetTime;
    int timeGetTimeCalls = 0;

private:
    CEventLog& log;
};

class CFakeInput : public IInput {
public:
    explicit CFakeInput(CEventLog& log) : log(log) {}

    // Win32 sets the high bit of the short while the key is down; that has
    // bit 0x80 set as callers test it.
    short GetKeyState(int virtualKey) override;
    BOOL GetCursorPos(POINT* point) override;

    void SetKey(int virtualKey, bool down) { keys[virtualKey] = down; }
    POINT cursor{0, 0};  // screen coordinates
    bool logPolls = true;

private:
    std::map<int, bool> keys;
    CEventLog& log;
};

class CFakeWindowSystem : public IWindowSystem {
public:
    struct Window {
        DWORD style = 0;
        WNDPROC proc = nullptr;
        bool visible = false;
        bool destroyed = false;
    };

    explicit CFakeWindowSystem(CEventLog& log);

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
    BOOL SetWindowPos(HWND hwnd, HWND insertAfter, int x, int y, int cx, int cy,
                      UINT flags) override;
    BOOL ScreenToClient(HWND hwnd, POINT* point) override;
    int GetSystemMetrics(int index) override;
    HICON LoadIconA(HINSTANCE instance, const char* name) override;
    HGDIOBJ GetStockObject(int object) override;

    // Queues a message as PostMessage would.
    void Post(HWND hwnd, UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
    // Posts WM_CLOSE to the first window just before the `pass`-th call of
    // PeekMessageA (1-based), i.e. at the message step of that pass.
    void CloseAtPass(int pass);

    // The window record of a live or destroyed fake handle, else null.
    Window* Find(HWND hwnd);
    HWND FirstWindow() const;

    // Settable behaviour.
    std::map<int, int> metrics;  // SM_CXDLGFRAME 3, SM_CYDLGFRAME 3, SM_CYCAPTION 20
    bool failCreate = false;
    // Run with the 1-based call count at the start of each PeekMessageA.
    std::function<void(int call)> onPeek;
    int peekCalls = 0;

    // What RegisterClassExA was given (strings copied).
    struct Registered {
        WNDCLASSEXA wc{};
        std::string className;
    };
    std::vector<Registered> classes;

private:
    bool IsLive(HWND hwnd);
    std::string Message(const MSG& msg) const;

    std::vector<Window> windows;  // handle N is windows[N - 1]
    std::deque<MSG> queue;
    CEventLog& log;
};

class CFakeDialogs : public IDialogs {
public:
    struct Shown {
        HWND owner = nullptr;
        std::string text;
        std::string caption;  // empty when null
        bool captionNull = true;
        UINT type = 0;
    };

    explicit CFakeDialogs(CEventLog& log) : log(log) {}

    // Answers from `answers` in order; when it runs dry, IDNO for a question
    // (MB_YESNO) and IDOK for anything else.
    int MessageBoxA(HWND owner, const char* text, const char* caption, UINT type) override;

    std::deque<int> answers;
    std::vector<Shown> shown;

private:
    CEventLog& log;
};

// All four fakes sharing one log, installed for the lifetime of the object.
class CFakeWin32 {
public:
    CFakeWin32();

    CEventLog log;
    CFakeWindowSystem windows{log};
    CFakeDialogs dialogs{log};
    CFakeClock clock{log};
    CFakeInput input{log};

private:
    CWin32ServicesScope scope;
};
