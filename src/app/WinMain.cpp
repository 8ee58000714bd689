// Program entry, window creation and the window procedure.
#include <climits>
#include <cstdint>

#include "config/AppConfig.h"
#include "app/CAppWindow.h"
#include "app/CSceneManager.h"
#include "platform/Random.h"
#include "platform/Win32.h"
#include "scene/CBreedingSession.h"

namespace {

// Outer sizes are client sizes plus frame metrics; conf.txt may ask for a
// client size near the int limit, so the sum saturates instead of overflowing
// (a window that large cannot be made either way).
int AddSaturated(int a, std::int64_t b) {
    const std::int64_t sum = static_cast<std::int64_t>(a) + b;
    if (sum > INT_MAX) return INT_MAX;
    if (sum < INT_MIN) return INT_MIN;
    return static_cast<int>(sum);
}

}  // namespace

int WinMain(HINSTANCE instance, HINSTANCE, char*, int) {
    ReadAppConfig(g_appConfig, "conf.txt");
    // A session started with --seed or --journal makes its population again.
    Srand(g_breedingSession != nullptr ? g_breedingSession->Seed()
                                       : static_cast<unsigned int>(_time64(nullptr)));

    const std::int64_t frameX = 2 * static_cast<std::int64_t>(GetSystemMetrics(SM_CXDLGFRAME));
    const std::int64_t frameY = 2 * static_cast<std::int64_t>(GetSystemMetrics(SM_CYDLGFRAME)) +
                                GetSystemMetrics(SM_CYCAPTION);
    const int outerWidth = AddSaturated(g_appConfig.width, frameX);
    const int outerHeight = AddSaturated(g_appConfig.height, frameY);

    CAppWindow window;
    // A failed creation leaves hwnd null; the graphics context then fails and
    // reports it, so the result is not tested here.
    window.Create(instance, outerWidth, outerHeight);
    window.Run();
    return 0;
}

HWND CAppWindow::Create(HINSTANCE instance, int outerWidth, int outerHeight) {
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof(WNDCLASSEXA);
    wc.style = 0;
    wc.lpfnWndProc = WndProc;
    wc.cbClsExtra = 0;
    wc.cbWndExtra = 0;
    wc.hInstance = instance;
    wc.hIcon = LoadIconA(instance, "ICON1");  // the desktop icon, built in
    wc.hCursor = nullptr;
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    wc.lpszMenuName = nullptr;
    wc.lpszClassName = "window";
    wc.hIconSm = nullptr;
    if (RegisterClassExA(&wc) == 0) return nullptr;

    hwnd = CreateWindowExA(0, "window", "Tessary(?)", WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX,
                           CW_USEDEFAULT, CW_USEDEFAULT, outerWidth, outerHeight, nullptr,
                           nullptr, instance, nullptr);
    if (hwnd == nullptr) return nullptr;
    x = CW_USEDEFAULT;
    y = CW_USEDEFAULT;
    width = outerWidth;
    height = outerHeight;

    ShowWindow(hwnd, SW_SHOW);
    UpdateWindow(hwnd);
    return hwnd;
}

LRESULT WndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CLOSE:
            DestroyWindow(hwnd);
            return 0;
        case WM_DESTROY:
            PostQuitMessage(0);
            return 0;
        case WM_KEYDOWN:
        case WM_KEYUP:
        case WM_CHAR:
        case WM_LBUTTONDOWN:
        case WM_LBUTTONUP:
        case WM_RBUTTONDOWN:
        case WM_RBUTTONUP:
        case WM_MOUSEWHEEL: {
            // The main loop keeps its scene list with the window while it runs.
            auto* scenes = reinterpret_cast<CSceneManager*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
            return scenes != nullptr ? scenes->MsgProc(hwnd, message, wParam, lParam) : 0;
        }
        default:
            return DefWindowProcA(hwnd, message, wParam, lParam);
    }
}
