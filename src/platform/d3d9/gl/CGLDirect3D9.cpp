#include "platform/d3d9/gl/CGLDirect3D9.h"

#include "platform/d3d9/gl/CGLDevice.h"
#include "platform/d3d9/gl/CGLTexture.h"
#include "platform/d3d9/gl/GLDirect3D9.h"

namespace {

// Capability bits the device really provides.
constexpr DWORD kVtxCapsMaterialSource = 0x02;     // D3DVTXPCAPS_MATERIALSOURCE7
constexpr DWORD kVtxCapsDirectionalLights = 0x08;  // D3DVTXPCAPS_DIRECTIONALLIGHTS
constexpr DWORD kVtxCapsLocalViewer = 0x20;        // D3DVTXPCAPS_LOCALVIEWER
constexpr DWORD kFilterCaps =
    0x00000100 | 0x00000200 | 0x01000000 | 0x02000000;  // min/mag point, linear
constexpr DWORD kAddressCaps = 0x1 | 0x2 | 0x4 | 0x8;   // wrap, mirror, clamp, border

// Before a device exists no context can be asked: the sizes are then the
// least that GL 3.3 guarantees.
constexpr D3DDeviceLimits kGuaranteedLimits{1024, 1024, 4};

// The adapter's display mode is always X8R8G8B8 (GetAdapterDisplayMode).
constexpr D3DFORMAT kDisplayFormat = D3DFMT_X8R8G8B8;

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
    if (mode == nullptr)
        return RefuseD3DCall("D3D9.GetAdapterDisplayMode", D3DRefusal::NullPointer);
    if (adapter != D3DADAPTER_DEFAULT)
        return RefuseD3DCall("D3D9.GetAdapterDisplayMode", D3DRefusal::UnknownAdapter);
    GLDesktopMode desktop;
    if (!provider.GetDesktopMode(&desktop) || desktop.width <= 0 || desktop.height <= 0)
        return RefuseD3DCall("D3D9.GetAdapterDisplayMode", D3DRefusal::NoDisplayMode);
    mode->Width = static_cast<UINT>(desktop.width);
    mode->Height = static_cast<UINT>(desktop.height);
    mode->RefreshRate = desktop.refreshRate > 0 ? static_cast<UINT>(desktop.refreshRate) : 0;
    mode->Format = kDisplayFormat;
    return D3D_OK;
}

HRESULT CGLDirect3D9::CheckDeviceFormat(UINT adapter, D3DDEVTYPE deviceType,
                                        D3DFORMAT adapterFormat, DWORD usage,
                                        D3DRESOURCETYPE resourceType, D3DFORMAT checkFormat) {
    // A query's "no" is an answer, not a refusal: nothing is logged.
    if (const D3DRefusal why = CheckAdapter(adapter, deviceType); why != D3DRefusal::None)
        return RefusalResult(why);
    return RefusalResult(
        ::CheckDeviceFormat(kDisplayFormat, adapterFormat, usage, resourceType, checkFormat));
}

HRESULT CGLDirect3D9::GetDeviceCaps(UINT adapter, D3DDEVTYPE deviceType, D3DCAPS9* caps) {
    if (caps == nullptr) return RefuseD3DCall("D3D9.GetDeviceCaps", D3DRefusal::NullPointer);
    if (const D3DRefusal why = CheckAdapter(adapter, deviceType); why != D3DRefusal::None)
        return RefusalResult(why);
    const D3DDeviceLimits limits = knownLimits.value_or(kGuaranteedLimits);
    *caps = D3DCAPS9{};
    caps->DeviceType = D3DDEVTYPE_HAL;
    caps->AdapterOrdinal = D3DADAPTER_DEFAULT;
    caps->TextureFilterCaps = kFilterCaps;
    caps->TextureAddressCaps = kAddressCaps;
    caps->MaxTextureWidth = limits.maxTextureSide;
    caps->MaxTextureHeight = limits.maxTextureSide;
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
    if (const D3DRefusal why = CheckAdapter(adapter, deviceType); why != D3DRefusal::None)
        return RefusalResult(why);
    // GL 3.3 core guarantees multisampled renderbuffers of at least four
    // samples (GL_MAX_SAMPLES >= 4) for colour and depth formats alike, so
    // non-maskable multisampling, which the device backs with
    // min(4, GL_MAX_SAMPLES) samples, is always there. An explicit count is
    // there up to GL_MAX_SAMPLES once a context has reported it, else up to
    // the guaranteed four.
    const int maxSamples = knownLimits ? knownLimits->maxSamples : kGuaranteedLimits.maxSamples;
    if (const D3DRefusal why = CheckMultiSampleType(surfaceFormat, type, maxSamples);
        why != D3DRefusal::None)
        return RefusalResult(why);
    if (qualityLevels != nullptr) *qualityLevels = 1;
    return D3D_OK;
}

HRESULT CGLDirect3D9::CreateDevice(UINT adapter, D3DDEVTYPE deviceType, HWND focusWindow,
                                   DWORD /*behaviorFlags*/, D3DPRESENT_PARAMETERS* params,
                                   IDirect3DDevice9** device) {
    constexpr const char* kCall = "D3D9.CreateDevice";
    if (device == nullptr) return RefuseD3DCall(kCall, D3DRefusal::NullPointer);
    *device = nullptr;
    if (params == nullptr) return RefuseD3DCall(kCall, D3DRefusal::NullPointer);
    if (const HRESULT hr = D3DCallResult(kCall, CheckAdapter(adapter, deviceType)); FAILED(hr))
        return hr;
    const HWND window = params->hDeviceWindow != nullptr ? params->hDeviceWindow : focusWindow;
    if (window == nullptr) return RefuseD3DCall(kCall, D3DRefusal::NoDeviceWindow);
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
