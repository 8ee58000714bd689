#include "support/FakeWin32.h"

#include <cstdint>
#include <cstdio>
#include <utility>

#include "platform/d3d9/recording/CRecordingJournal.h"

namespace {

std::string Hex(DWORD value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%X", static_cast<unsigned>(value));
    return text;
}

std::string Text(const char* text) { return text != nullptr ? text : "null"; }

}  // namespace

// ---------------------------------------------------------------------------
// CEventLog

void CEventLog::Add(std::string entry) {
    SyncJournal();
    entries.push_back(std::move(entry));
}

void CEventLog::AttachJournal(std::shared_ptr<CRecordingJournal> attached) {
    SyncJournal();
    journal = std::move(attached);
    journalCopied = journal ? journal->calls.size() : 0;
}

void CEventLog::SyncJournal() {
    if (!journal) return;
    // A journal whose log was cleared starts over.
    if (journal->calls.size() < journalCopied) journalCopied = 0;
    for (; journalCopied < journal->calls.size(); ++journalCopied) {
        entries.push_back("d3d:" + journal->calls[journalCopied].name);
    }
}

const std::vector<std::string>& CEventLog::Entries() {
    SyncJournal();
    return entries;
}

bool CEventLog::Matches(std::string_view logged, std::string_view wanted) {
    if (!wanted.empty() && wanted.back() == '(') return logged.starts_with(wanted);
    return logged == wanted;
}

std::size_t CEventLog::Count(std::string_view entry) {
    SyncJournal();
    std::size_t count = 0;
    for (const std::string& logged : entries) count += Matches(logged, entry) ? 1 : 0;
    return count;
}

std::size_t CEventLog::Find(std::string_view entry, std::size_t from) {
    SyncJournal();
    for (std::size_t i = from; i < entries.size(); ++i) {
        if (Matches(entries[i], entry)) return i;
    }
    return npos;
}

void CEventLog::Clear() {
    SyncJournal();
    entries.clear();
}

std::string CEventLog::Dump() {
    SyncJournal();
    std::string all;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        all += std::to_string(i) + ": " + entries[i] + "\n";
    }
    return all;
}

std::string HandleName(HWND hwnd) {
    if (hwnd == nullptr) return "null";
    return "hwnd#" + std::to_string(reinterpret_cast<std::uintptr_t>(hwnd));
}

// ---------------------------------------------------------------------------
// CFakeClock

DWORD CFakeClock::timeGetTime() {
    log.Add("timeGetTime");
    if (onTimeGetTime) onTimeGetTime(timeGetTimeCalls);
    ++timeGetTimeCalls;
    return now;
}

UINT CFakeClock::timeBeginPeriod(UINT period) {
    log.Add("timeBeginPeriod(" + std::to_string(period) + ")");
    return 0;
}

UINT CFakeClock::timeEndPeriod(UINT period) {
    log.Add("timeEndPeriod(" + std::to_string(period) + ")");
    return 0;
}

void CFakeClock::Sleep(DWORD milliseconds) {
    log.Add("Sleep(" + std::to_string(milliseconds) + ")");
    now += milliseconds + sleepOverrun;
}

// ---------------------------------------------------------------------------
// CFakeInput

short CFakeInput::GetKeyState(int virtualKey) {
    if (logPolls) log.Add("GetKeyState(" + std::to_string(virtualKey) + ")");
    const auto key = keys.find(virtualKey);
    const bool down = key != keys.end() && key->second;
    return down ? static_cast<short>(0xFF80) : static_cast<short>(0);
}

BOOL CFakeInput::GetCursorPos(POINT* point) {
    if (logPolls) log.Add("GetCursorPos");
    if (point == nullptr) return FALSE;
    *point = cursor;
    return TRUE;
}

// ---------------------------------------------------------------------------
// CFakeWindowSystem

CFakeWindowSystem::CFakeWindowSystem(CEventLog& log)
    : metrics{{SM_CXDLGFRAME, 3}, {SM_CYDLGFRAME, 3}, {SM_CYCAPTION, 20}}, log(log) {}

ATOM CFakeWindowSystem::RegisterClassExA(const WNDCLASSEXA* windowClass) {
    const std::string name = windowClass != nullptr ? Text(windowClass->lpszClassName) : "";
    log.Add("RegisterClassExA(" + name + ")");
    if (windowClass == nullptr || windowClass->lpszClassName == nullptr ||
        windowClass->cbSize != sizeof(WNDCLASSEXA)) {
        return 0;
    }
    for (const Registered& known : classes) {
        if (known.className == name) return 0;  // already registered
    }
    Registered entry;
    entry.wc = *windowClass;
    entry.className = name;
    entry.wc.lpszClassName = nullptr;  // the copy in className outlives the caller's
    classes.push_back(entry);
    return static_cast<ATOM>(classes.size());
}

HWND CFakeWindowSystem::CreateWindowExA(DWORD exStyle, const char* className,
                                        const char* windowName, DWORD style, int, int,
                                        int width, int height, HWND, HMENU, HINSTANCE, void*) {
    log.Add("CreateWindowExA(" + Hex(exStyle) + ", " + Text(className) + ", " +
            Text(windowName) + ", " + Hex(style) + ", " + std::to_string(width) + ", " +
            std::to_string(height) + ")");
    if (failCreate || className == nullptr) return nullptr;
    const Registered* found = nullptr;
    for (const Registered& known : classes) {
        if (known.className == className) found = &known;
    }
    if (found == nullptr) return nullptr;
    Window window;
    window.style = style;
    window.proc = found->wc.lpfnWndProc;
    windows.push_back(window);
    return reinterpret_cast<HWND>(static_cast<std::uintptr_t>(windows.size()));
}

CFakeWindowSystem::Window* CFakeWindowSystem::Find(HWND hwnd) {
    const auto id = reinterpret_cast<std::uintptr_t>(hwnd);
    if (id == 0 || id > windows.size()) return nullptr;
    return &windows[id - 1];
}

HWND CFakeWindowSystem::FirstWindow() const {
    return windows.empty() ? nullptr : reinterpret_cast<HWND>(std::uintptr_t{1});
}

bool CFakeWindowSystem::IsLive(HWND hwnd) {
    const Window* window = Find(hwnd);
    return window != nullptr && !window->destroyed;
}

BOOL CFakeWindowSystem::ShowWindow(HWND hwnd, int command) {
    log.Add("ShowWindow(" + HandleName(hwnd) + ", " + std::to_string(command) + ")");
    if (!IsLive(hwnd)) return FALSE;
    Window* window = Find(hwnd);
    const bool wasVisible = window->visible;
    window->visible = command != SW_HIDE;
    return wasVisible ? TRUE : FALSE;
}

BOOL CFakeWindowSystem::UpdateWindow(HWND hwnd) {
    log.Add("UpdateWindow(" + HandleName(hwnd) + ")");
    return IsLive(hwnd) ? TRUE : FALSE;
}

BOOL CFakeWindowSystem::DestroyWindow(HWND hwnd) {
    log.Add("DestroyWindow(" + HandleName(hwnd) + ")");
    if (!IsLive(hwnd)) return FALSE;
    Window* window = Find(hwnd);
    window->destroyed = true;
    window->visible = false;
    const WNDPROC proc = window->proc;
    if (proc != nullptr) proc(hwnd, WM_DESTROY, 0, 0);
    return TRUE;
}

LRESULT CFakeWindowSystem::DefWindowProcA(HWND hwnd, UINT message, WPARAM, LPARAM) {
    log.Add("DefWindowProcA(" + HandleName(hwnd) + ", " + Hex(message) + ")");
    return 0;
}

void CFakeWindowSystem::PostQuitMessage(int exitCode) {
    log.Add("PostQuitMessage(" + std::to_string(exitCode) + ")");
    MSG msg{};
    msg.message = WM_QUIT;
    msg.wParam = static_cast<WPARAM>(exitCode);
    queue.push_back(msg);
}

void CFakeWindowSystem::Post(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    MSG msg{};
    msg.hwnd = hwnd;
    msg.message = message;
    msg.wParam = wParam;
    msg.lParam = lParam;
    queue.push_back(msg);
}

void CFakeWindowSystem::CloseAtPass(int pass) {
    onPeek = [this, pass](int call) {
        if (call == pass) Post(FirstWindow(), WM_CLOSE);
    };
}

std::string CFakeWindowSystem::Message(const MSG& msg) const {
    return HandleName(msg.hwnd) + ", " + Hex(msg.message);
}

BOOL CFakeWindowSystem::PeekMessageA(MSG* msg, HWND, UINT, UINT, UINT removeFlags) {
    ++peekCalls;
    if (onPeek) onPeek(peekCalls);
    log.Add("PeekMessageA(" + std::to_string(removeFlags) + ")");
    if (queue.empty()) return FALSE;
    if (msg != nullptr) *msg = queue.front();
    if ((removeFlags & PM_REMOVE) != 0) queue.pop_front();
    return TRUE;
}

BOOL CFakeWindowSystem::GetMessageA(MSG* msg, HWND, UINT, UINT) {
    // The real call would block on an empty queue; a test that gets here has
    // a fault, which -1 (the Win32 error result) makes visible.
    if (queue.empty()) {
        log.Add("GetMessageA(empty)");
        return -1;
    }
    const MSG taken = queue.front();
    queue.pop_front();
    log.Add("GetMessageA(" + Message(taken) + ")");
    if (msg != nullptr) *msg = taken;
    return taken.message == WM_QUIT ? 0 : 1;
}

BOOL CFakeWindowSystem::TranslateMessage(const MSG* msg) {
    log.Add("TranslateMessage(" + (msg != nullptr ? Message(*msg) : "null") + ")");
    return FALSE;
}

LRESULT CFakeWindowSystem::DispatchMessageA(const MSG* msg) {
    log.Add("DispatchMessageA(" + (msg != nullptr ? Message(*msg) : "null") + ")");
    if (msg == nullptr || !IsLive(msg->hwnd)) return 0;
    const WNDPROC proc = Find(msg->hwnd)->proc;
    return proc != nullptr ? proc(msg->hwnd, msg->message, msg->wParam, msg->lParam) : 0;
}

LONG CFakeWindowSystem::SetWindowLongA(HWND hwnd, int index, LONG value) {
    log.Add("SetWindowLongA(" + HandleName(hwnd) + ", " + std::to_string(index) + ", " +
            Hex(static_cast<DWORD>(value)) + ")");
    if (!IsLive(hwnd) || index != GWL_STYLE) return 0;
    Window* window = Find(hwnd);
    const auto previous = static_cast<LONG>(window->style);
    window->style = static_cast<DWORD>(value);
    window->visible = (window->style & WS_VISIBLE) != 0 || window->visible;
    return previous;
}

BOOL CFakeWindowSystem::SetWindowPos(HWND hwnd, HWND insertAfter, int x, int y, int cx, int cy,
                                     UINT flags) {
    log.Add("SetWindowPos(" + HandleName(hwnd) + ", " + HandleName(insertAfter) + ", " +
            std::to_string(x) + ", " + std::to_string(y) + ", " + std::to_string(cx) + ", " +
            std::to_string(cy) + ", " + Hex(flags) + ")");
    return IsLive(hwnd) ? TRUE : FALSE;
}

BOOL CFakeWindowSystem::ScreenToClient(HWND hwnd, POINT* point) {
    return IsLive(hwnd) && point != nullptr ? TRUE : FALSE;
}

int CFakeWindowSystem::GetSystemMetrics(int index) {
    log.Add("GetSystemMetrics(" + std::to_string(index) + ")");
    const auto metric = metrics.find(index);
    return metric != metrics.end() ? metric->second : 0;
}

HICON CFakeWindowSystem::LoadIconA(HINSTANCE, const char* name) {
    log.Add("LoadIconA(" + Text(name) + ")");
    return nullptr;  // the module carries no icon resource
}

HGDIOBJ CFakeWindowSystem::GetStockObject(int object) {
    log.Add("GetStockObject(" + std::to_string(object) + ")");
    // A distinct, never dereferenced token per stock object.
    static char tokens[32];
    return object >= 0 && object < 32 ? &tokens[object] : nullptr;
}

// ---------------------------------------------------------------------------
// CFakeDialogs

int CFakeDialogs::MessageBoxA(HWND owner, const char* text, const char* caption, UINT type) {
    log.Add("MessageBoxA(" + HandleName(owner) + ", " + Text(text) + ", " + Text(caption) + ", " +
            Hex(type) + ")");
    Shown box;
    box.owner = owner;
    box.text = Text(text);
    box.captionNull = caption == nullptr;
    box.caption = caption != nullptr ? caption : "";
    box.type = type;
    shown.push_back(box);
    if (!answers.empty()) {
        const int answer = answers.front();
        answers.pop_front();
        return answer;
    }
    return (type & 0xF) == MB_YESNO ? IDNO : IDOK;
}

// ---------------------------------------------------------------------------
// CFakeWin32

CFakeWin32::CFakeWin32() : scope(Win32Services{&windows, &dialogs, &clock, &input}) {}
