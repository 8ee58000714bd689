// The graphics context: Direct3D object, device and the two start-up
// choices (multisampling, vertex processing) made from the adapter's answers.
#include "gfx/CDXContext.h"

#include "config/AppConfig.h"

CDXContext::~CDXContext() { Release(); }

namespace {

// The window becomes a borderless popup whose client area is the back buffer,
// keeping its position.
void MakePopup(HWND hwnd, int width, int height) {
    SetWindowLongA(hwnd, GWL_STYLE, static_cast<LONG>(WS_POPUP | WS_VISIBLE));
    SetWindowPos(hwnd, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_FRAMECHANGED);
}

}  // namespace

int CDXContext::Create(HWND window, bool windowed) {
    hwnd = window;
    width = g_appConfig.width;
    height = g_appConfig.height;

    if (!windowed) MakePopup(hwnd, width, height);

    d3d = Direct3DCreate9(D3D_SDK_VERSION);
    if (d3d == nullptr) return 1;
    if (FAILED(d3d->GetAdapterDisplayMode(D3DADAPTER_DEFAULT, &displayMode))) return 1;

    // Only "not available" rules the 16-bit depth buffer out; other failure
    // codes of the query are not taken as an answer.
    const HRESULT depth =
        d3d->CheckDeviceFormat(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, displayMode.Format,
                               D3DUSAGE_DEPTHSTENCIL, D3DRTYPE_SURFACE, D3DFMT_D16);
    if (depth == D3DERR_NOTAVAILABLE) return 1;

    D3DCAPS9 caps{};
    if (FAILED(d3d->GetDeviceCaps(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, &caps))) return 1;

    DWORD behavior = D3DCREATE_SOFTWARE_VERTEXPROCESSING;
    D3DMULTISAMPLE_TYPE multiSample = D3DMULTISAMPLE_NONE;
    if (caps.VertexProcessingCaps != 0) {
        behavior = D3DCREATE_HARDWARE_VERTEXPROCESSING;
        const BOOL windowedFlag = windowed ? TRUE : FALSE;
        if (SUCCEEDED(d3d->CheckDeviceMultiSampleType(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL,
                                                      displayMode.Format, windowedFlag,
                                                      D3DMULTISAMPLE_NONMASKABLE, nullptr)) &&
            SUCCEEDED(d3d->CheckDeviceMultiSampleType(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL,
                                                      D3DFMT_D16, windowedFlag,
                                                      D3DMULTISAMPLE_NONMASKABLE, nullptr))) {
            multiSample = D3DMULTISAMPLE_NONMASKABLE;
        }
    }

    presentParams = D3DPRESENT_PARAMETERS{};
    presentParams.BackBufferWidth = static_cast<UINT>(width);
    presentParams.BackBufferHeight = static_cast<UINT>(height);
    presentParams.BackBufferFormat = displayMode.Format;
    presentParams.BackBufferCount = 0;
    presentParams.MultiSampleType = multiSample;
    presentParams.MultiSampleQuality = 0;
    presentParams.SwapEffect = D3DSWAPEFFECT_DISCARD;
    presentParams.hDeviceWindow = nullptr;
    presentParams.Windowed = windowed ? TRUE : FALSE;
    presentParams.EnableAutoDepthStencil = TRUE;
    presentParams.AutoDepthStencilFormat = D3DFMT_D16;
    presentParams.Flags = 0;
    presentParams.FullScreen_RefreshRateInHz = 0;
    presentParams.PresentationInterval = D3DPRESENT_INTERVAL_ONE;

    if (FAILED(d3d->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, hwnd, behavior,
                                 &presentParams, &device))) {
        return 1;
    }
    return 0;
}

void CDXContext::Release() {
    // The device always goes before the Direct3D object that made it.
    if (device != nullptr) {
        device->Release();
        device = nullptr;
    }
    if (d3d != nullptr) {
        d3d->Release();
        d3d = nullptr;
    }
}

void CDXContext::SwitchToFullScreen() {
    // Only the windowed flag changes: size, format and the multisample choice
    // made for the windowed start stay as they were.
    if (device == nullptr) return;
    presentParams.Windowed = FALSE;
    MakePopup(hwnd, width, height);
    device->Reset(&presentParams);
}

void CDXContext::PresentFrame() {
    if (device == nullptr) return;
    if (FAILED(device->Present(nullptr, nullptr, nullptr, nullptr))) {
        device->Reset(&presentParams);
    }
}
