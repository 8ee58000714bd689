#include "COffscreenView.h"

#include "platform/d3d9/gl/GLDirect3D9.h"

CToolDisplay::CToolDisplay() {
    if (platform.VideoAvailable()) services.emplace(platform.Services());
}

COffscreenView::COffscreenView() = default;

COffscreenView::~COffscreenView() {
    if (window != nullptr) DestroyWindow(window);
}

bool COffscreenView::Open(const char* name, int width, int height, std::string* error) {
    WNDCLASSEXA windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.lpszClassName = name;
    RegisterClassExA(&windowClass);  // a second view's registration fails harmlessly
    window = CreateWindowExA(0, name, name, WS_POPUP, 0, 0, width, height, nullptr, nullptr,
                             nullptr, nullptr);
    if (window == nullptr) {
        *error = "cannot make a " + std::to_string(width) + "x" + std::to_string(height) +
                 " window";
        return false;
    }
    input.window = window;
    Win32Services preset;
    preset.clock = &clock;
    preset.input = &input;
    presetServices.emplace(preset);
    direct3d.emplace([this](UINT) { return CreateGLDirect3D9(provider); });
    if (context.Create(window, true) != 0) {
        *error = "cannot create the OpenGL device";
        return false;
    }
    return true;
}

bool COffscreenView::ReadBackBuffer(std::vector<std::uint32_t>* pixels, UINT* width,
                                    UINT* height) {
    return ReadGLBackBuffer(context.device, pixels, width, height);
}
