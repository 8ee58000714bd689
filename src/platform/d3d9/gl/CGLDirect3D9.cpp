#include "platform/d3d9/gl/CGLDirect3D9.h"

#include "platform/d3d9/gl/CGLDevice.h"
#include "platform/d3d9/gl/CGLTexture.h"
#include "platform/d3d9/gl/GLDirect3D9.h"

namespace {

// Capability bits the device really provides.
constexpr DWORD kVtxCapsMaterialSource = 0x02;      // D3DVTXPCAPS_MATERIALSOURCE7
constexpr DWORD kVtxCapsDirectionalLights = 0x08;   // D3DVTXPCAPS_DIRECTIONALLIGHTS
constexpr DWORD kVtxCapsLocalViewer = 0x20;         // D3DVTXPCAPS_LOCALVIEWER
constexpr DWORD kFilterCaps = 0x00000100 | 0x00000200 | 0x01000000 | 0x02000000;  // min/mag point, linear
constexpr DWORD kAddressCaps = 0x1 | 0x2 | 0x4 | 0x8;  // wrap, mirror, clamp, border

bool IsColourFormat(D3DFORMAT f) { return f == D3DFMT_X8R8G8B8 || f == D3DFMT_A8R8G8B8; }

HRESULT CheckAdapter(UINT adapter, D3DDEVTYPE type) {
    if (adapter != D3DADAPTER_DEFAULT) return D3DERR_INVALIDCALL;
    return type == D3DDEVTYPE_HAL ? D3D_OK : D3DERR_NOTAVAILABLE;
}

}  // namespace

IDirect3D9* CreateGLDirect3D9(IGLContextProvider& provider) { return new CGLDirect3D9(provider); }

ULONG CGLDirect3D9::AddRef() { return ++refs; }

ULONG CGLDirect3D9::Release() {
    if (refs == 0) return 0;
    if (--refs > 0) return refs;
    delete this;
    return 0;
}

HRESULT CGLDirect3D9::GetAdapterDisplayMode(UINT adapter, D3DDISPLAYMODE* mode) {
    if (adapter != D3DADAPTER_DEFAULT || mode == nullptr) return D3DERR_INVALIDCALL;
    GLDesktopMode desktop;
    if (!provider.GetDesktopMode(&desktop) || desktop.width <= 0 || desktop.height <= 0)
        return D3DERR_NOTAVAILABLE;
    mode->Width = static_cast<UINT>(desktop.width);
    mode->Height = static_cast<UINT>(desktop.height);
    mode->RefreshRate = desktop.refreshRate > 0 ? static_cast<UINT>(desktop.refreshRate) : 0;
    mode->Format = D3DFMT_X8R8G8B8;
    return D3D_OK;
}

HRESULT CGLDirect3D9::CheckDeviceFormat(UINT adapter, D3DDEVTYPE deviceType,
                                        D3DFORMAT adapterFormat, DWORD usage,
                                        D3DRESOURCETYPE resourceType, D3DFORMAT checkFormat) {
    if (const HRESULT hr = CheckAdapter(adapter, deviceType); FAILED(hr)) return hr;
    if (adapterFormat != D3DFMT_X8R8G8B8) return D3DERR_NOTAVAILABLE;
    if (usage & D3DUSAGE_DEPTHSTENCIL)
        return checkFormat == D3DFMT_D16 && resourceType == D3DRTYPE_SURFACE ? D3D_OK
                                                                            : D3DERR_NOTAVAILABLE;
    if (resourceType != D3DRTYPE_SURFACE && resourceType != D3DRTYPE_TEXTURE)
        return D3DERR_NOTAVAILABLE;
    return IsColourFormat(checkFormat) ? D3D_OK : D3DERR_NOTAVAILABLE;
}

HRESULT CGLDirect3D9::GetDeviceCaps(UINT adapter, D3DDEVTYPE deviceType, D3DCAPS9* caps) {
    if (caps == nullptr) return D3DERR_INVALIDCALL;
    if (const HRESULT hr = CheckAdapter(adapter, deviceType); FAILED(hr)) return hr;
    // Before a device exists no context can be asked: the sizes are then the
    // least that GL 3.3 guarantees.
    const GLLimits limits = knownLimits.value_or(GLLimits{});
    *caps = D3DCAPS9{};
    caps->DeviceType = D3DDEVTYPE_HAL;
    caps->AdapterOrdinal = D3DADAPTER_DEFAULT;
    caps->TextureFilterCaps = kFilterCaps;
    caps->TextureAddressCaps = kAddressCaps;
    caps->MaxTextureWidth = static_cast<DWORD>(limits.maxTextureSize);
    caps->MaxTextureHeight = static_cast<DWORD>(limits.maxTextureSize);
    caps->VertexProcessingCaps =
        kVtxCapsMaterialSource | kVtxCapsDirectionalLights | kVtxCapsLocalViewer;
    caps->MaxActiveLights = kD3DMaxLights;
    caps->MaxPrimitiveCount = 0x00FFFFFF;
    caps->MaxVertexIndex = 0x00FFFFFF;
    caps->MaxStreams = 1;
    caps->MaxStreamStride = 255;
    return D3D_OK;
}

HRESULT CGLDirect3D9::CheckDeviceMultiSampleType(UINT adapter, D3DDEVTYPE deviceType,
                                                 D3DFORMAT surfaceFormat, BOOL /*windowed*/,
                                                 D3DMULTISAMPLE_TYPE type, DWORD* qualityLevels) {
    if (qualityLevels != nullptr) *qualityLevels = 0;
    if (const HRESULT hr = CheckAdapter(adapter, deviceType); FAILED(hr)) return hr;
    if (!IsColourFormat(surfaceFormat) && surfaceFormat != D3DFMT_D16) return D3DERR_NOTAVAILABLE;
    if (type > 16) return D3DERR_INVALIDCALL;
    // GL 3.3 core guarantees multisampled renderbuffers of at least four
    // samples (GL_MAX_SAMPLES >= 4) for colour and depth formats alike, so
    // non-maskable multisampling, which the device backs with
    // min(4, GL_MAX_SAMPLES) samples, is always there. An explicit count is
    // there up to GL_MAX_SAMPLES once a context has reported it, else up to
    // the guaranteed four.
    const int maxSamples = knownLimits ? knownLimits->maxSamples : 4;
    if (type >= 2 && static_cast<int>(type) > maxSamples) return D3DERR_NOTAVAILABLE;
    if (qualityLevels != nullptr) *qualityLevels = 1;
    return D3D_OK;
}

HRESULT CGLDirect3D9::CreateDevice(UINT adapter, D3DDEVTYPE deviceType, HWND focusWindow,
                                   DWORD /*behaviorFlags*/, D3DPRESENT_PARAMETERS* params,
                                   IDirect3DDevice9** device) {
    if (device == nullptr) return D3DERR_INVALIDCALL;
    *device = nullptr;
    if (params == nullptr) return D3DERR_INVALIDCALL;
    if (const HRESULT hr = CheckAdapter(adapter, deviceType); FAILED(hr)) return hr;
    const HWND window = params->hDeviceWindow != nullptr ? params->hDeviceWindow : focusWindow;
    if (window == nullptr) return D3DERR_INVALIDCALL;
    return CGLDevice::Create(*this, provider, window, params, device);
}

bool ReadGLBackBuffer(IDirect3DDevice9* device, std::vector<std::uint32_t>* pixels, UINT* width,
                      UINT* height) {
    auto* gl = dynamic_cast<CGLDevice*>(device);
    if (gl == nullptr || pixels == nullptr) return false;
    gl->ReadBackBuffer(pixels, width, height);
    return true;
}

void FinishGL(IDirect3DDevice9* device) {
    if (auto* gl = dynamic_cast<CGLDevice*>(device)) gl->Finish();
}
