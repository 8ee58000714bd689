// The main loop: fixed 16 ms update steps with bounded catch-up, one frame
// and at most one window message per pass, Escape polled. Keyboard,
// mouse-button and wheel messages reach the current scene through the window
// procedure, which finds the scene list in the window's GWLP_USERDATA.
#include "app/CAppWindow.h"

#include <memory>

#include "config/AppConfig.h"
#include "app/CSceneManager.h"
#include "gfx/CDXContext.h"

namespace {

constexpr DWORD kStepMs = 16;
constexpr DWORD kMaxSteps = 5;

const char* const kInitFailedText = "Direct3Dの初期化に失敗。";
const char* const kFullScreenQuestion = "フルスクリーンで起動しますか？";
const char* const kQuestionCaption = "質問";

// How many update steps this pass runs, advancing `base` past them. The
// elapsed time is computed in unsigned 32-bit arithmetic, so the wrap of the
// millisecond counter after about 49.7 days is harmless.
DWORD TakeSteps(DWORD& base) {
    const DWORD now = timeGetTime();
    const DWORD elapsed = now - base;
    const DWORD steps = elapsed / kStepMs;
    if (steps == 0) {
        // Early: sleep out the step and re-anchor the schedule at waking.
        Sleep(kStepMs - elapsed);
        base = timeGetTime();
        return 1;
    }
    if (steps <= kMaxSteps) {
        base += kStepMs * steps;  // the remainder counts towards the next pass
        return steps;
    }
    base = now;  // a long stall: the excess is dropped, never caught up
    return kMaxSteps;
}

// One pass of the loop; false when the loop is to end.
bool RunPass(HWND hwnd, CDXContext& context, CSceneManager& sceneList, DWORD& base, MSG& msg) {
    const DWORD steps = TakeSteps(base);
    for (DWORD step = 0; step < steps; ++step) {
        IScene* scene = sceneList.Current();
        if (scene != nullptr && scene->Update() == 1) return false;
    }

    context.device->BeginScene();
    if (IScene* scene = sceneList.Current()) scene->Render();
    context.device->EndScene();
    context.PresentFrame();

    if (PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
        const BOOL got = GetMessageA(&msg, nullptr, 0, 0);
        if (got == 0) return false;  // WM_QUIT
        // -1 is the error result: msg was not filled, so nothing is dispatched.
        if (got > 0) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }

    // The window's destruction posts the quit message that a later pass takes.
    // A scene may hold Escape for itself (to close what it shows).
    if ((GetKeyState(VK_ESCAPE) & 0x80) != 0) {
        const IScene* scene = sceneList.Current();
        if (scene == nullptr || !scene->HoldsKey(VK_ESCAPE)) DestroyWindow(hwnd);
    }
    return true;
}

}  // namespace

void CAppWindow::Run() {
    CDXContext context;
    auto sceneList = std::make_unique<CSceneManager>();
    // Taken before the device exists: creating it and answering the question
    // count as elapsed time for the first pass.
    DWORD base = timeGetTime();
    MSG msg{};

    if (context.Create(hwnd, g_appConfig.windowed != 0) != 0) {
        MessageBoxA(nullptr, kInitFailedText, nullptr, MB_ICONERROR);
        context.Release();
        return;
    }
    if (MessageBoxA(hwnd, kFullScreenQuestion, kQuestionCaption, MB_YESNO) == IDYES) {
        context.SwitchToFullScreen();
    }

    sceneList->context = &context;
    sceneList->current = 0;
    sceneList->CreateScenes();
    // The window procedure finds the scenes through the window.
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(sceneList.get()));

    timeBeginPeriod(1);
    while (RunPass(hwnd, context, *sceneList, base, msg)) {
    }

    timeEndPeriod(1);
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
    sceneList.reset();  // every scene goes before the device
    context.Release();
}
