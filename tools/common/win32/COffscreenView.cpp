#include "COffscreenView.h"

#include <memory>
#include <utility>

namespace {

struct CReleaser {
    void operator()(IUnknown* object) const { object->Release(); }
};
template <typename T>
using CComRef = std::unique_ptr<T, CReleaser>;

// The window's client area at the origin with exactly the size asked for.
HWND MakeHiddenWindow(const char* name, int width, int height) {
    WNDCLASSEXA windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = name;
    RegisterClassExA(&windowClass);  // a second view's registration fails harmlessly
    return CreateWindowExA(0, name, name, WS_POPUP, 0, 0, width, height, nullptr, nullptr,
                           windowClass.hInstance, nullptr);
}

// A single-sampled surface with the back buffer's pixels: the back buffer
// itself, or, when it is multisampled, a render target it is resolved into
// (GetRenderTargetData reads no multisampled surface).
CComRef<IDirect3DSurface9> SingleSampled(IDirect3DDevice9* device,
                                         CComRef<IDirect3DSurface9> back,
                                         const D3DSURFACE_DESC& desc) {
    if (desc.MultiSampleType == D3DMULTISAMPLE_NONE) return back;
    IDirect3DSurface9* resolved = nullptr;
    if (FAILED(device->CreateRenderTarget(desc.Width, desc.Height, desc.Format,
                                          D3DMULTISAMPLE_NONE, 0, FALSE, &resolved, nullptr))) {
        return nullptr;
    }
    CComRef<IDirect3DSurface9> target(resolved);
    if (FAILED(device->StretchRect(back.get(), nullptr, resolved, nullptr, D3DTEXF_NONE))) {
        return nullptr;
    }
    return target;
}

}  // namespace

COffscreenView::COffscreenView() {
    CPresetClock::installed = &clock;
    CPresetInput::installed = &input;
}

COffscreenView::~COffscreenView() {
    context.Release();
    if (window != nullptr) DestroyWindow(window);
    CPresetClock::installed = nullptr;
    CPresetInput::installed = nullptr;
}

bool COffscreenView::Open(const char* name, int width, int height, std::string* error) {
    window = MakeHiddenWindow(name, width, height);
    if (window == nullptr) {
        *error = "cannot make a " + std::to_string(width) + "x" + std::to_string(height) +
                 " window";
        return false;
    }
    input.window = window;
    if (context.Create(window, true) != 0) {
        *error = "cannot create the Direct3D 9 device";
        return false;
    }
    return true;
}

bool COffscreenView::ReadBackBuffer(std::vector<std::uint32_t>* pixels, UINT* width,
                                    UINT* height) {
    IDirect3DDevice9* device = context.device;
    IDirect3DSurface9* surface = nullptr;
    if (device == nullptr ||
        FAILED(device->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &surface))) {
        return false;
    }
    CComRef<IDirect3DSurface9> back(surface);
    D3DSURFACE_DESC desc{};
    if (FAILED(back->GetDesc(&desc)) ||
        (desc.Format != D3DFMT_X8R8G8B8 && desc.Format != D3DFMT_A8R8G8B8)) {
        return false;
    }
    const CComRef<IDirect3DSurface9> source = SingleSampled(device, std::move(back), desc);
    if (!source) return false;
    if (FAILED(device->CreateOffscreenPlainSurface(desc.Width, desc.Height, desc.Format,
                                                   D3DPOOL_SYSTEMMEM, &surface, nullptr))) {
        return false;
    }
    const CComRef<IDirect3DSurface9> memory(surface);
    D3DLOCKED_RECT locked{};
    if (FAILED(device->GetRenderTargetData(source.get(), memory.get())) ||
        FAILED(memory->LockRect(&locked, nullptr, D3DLOCK_READONLY))) {
        return false;
    }
    pixels->resize(static_cast<std::size_t>(desc.Width) * desc.Height);
    const auto* bytes = static_cast<const unsigned char*>(locked.pBits);
    for (UINT y = 0; y < desc.Height; ++y) {
        const auto* row = reinterpret_cast<const std::uint32_t*>(bytes + y * locked.Pitch);
        for (UINT x = 0; x < desc.Width; ++x) {
            // X8R8G8B8's unused byte is undefined: the picture is opaque.
            (*pixels)[static_cast<std::size_t>(y) * desc.Width + x] = row[x] | 0xFF000000u;
        }
    }
    memory->UnlockRect();
    *width = desc.Width;
    *height = desc.Height;
    return true;
}
