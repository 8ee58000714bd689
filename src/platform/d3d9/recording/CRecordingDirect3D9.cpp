#include "platform/d3d9/recording/CRecordingDirect3D9.h"

#include <utility>

#include "platform/d3d9/D3DChecks.h"
#include "platform/d3d9/recording/CRecordingDevice.h"
#include "platform/d3d9/recording/RecordingText.h"

using recording::Call;
using recording::Dec;

namespace {
// What the recording adapter answers beyond the call log's display mode: the
// least a GL 3.3 context offers, like the GL backend's adapter. The sizes
// are the Direct3D maximum rather than a GL implementation's: a real device
// has the limit, the recording one need not model it.
constexpr D3DDeviceLimits kLimits{};
}  // namespace

IDirect3D9* CreateRecordingDirect3D9(std::shared_ptr<CRecordingCallLog> callLog) {
    if (!callLog) return nullptr;
    return new CRecordingDirect3D9(std::move(callLog));  // owned by its reference count
}

CRecordingDirect3D9::CRecordingDirect3D9(std::shared_ptr<CRecordingCallLog> callLog)
    : callLog(std::move(callLog)) {
    this->callLog->ObjectCreated();
}

CRecordingDirect3D9::~CRecordingDirect3D9() { callLog->ObjectDestroyed(); }

ULONG CRecordingDirect3D9::AddRef() {
    callLog->Note("D3D9.AddRef", "D3D9.AddRef()", D3D_OK);
    return ++refs;
}

ULONG CRecordingDirect3D9::Release() {
    callLog->Note("D3D9.Release", "D3D9.Release()", D3D_OK);
    return ReleaseInternal();
}

ULONG CRecordingDirect3D9::ReleaseInternal() {
    if (refs == 0) return 0;
    const ULONG left = --refs;
    if (left == 0) delete this;
    return left;
}

HRESULT CRecordingDirect3D9::GetAdapterDisplayMode(UINT adapter, D3DDISPLAYMODE* mode) {
    const HRESULT hr = callLog->Record("D3D9.GetAdapterDisplayMode",
                                       Call("D3D9.GetAdapterDisplayMode", {Dec(adapter)}));
    if (FAILED(hr)) return hr;
    if (!mode) return callLog->Verdict(D3DRefusal::NullPointer);
    if (adapter != D3DADAPTER_DEFAULT) return callLog->Verdict(D3DRefusal::UnknownAdapter);
    *mode = callLog->displayMode;
    return D3D_OK;
}

HRESULT CRecordingDirect3D9::CheckDeviceFormat(UINT adapter, D3DDEVTYPE deviceType,
                                               D3DFORMAT adapterFormat, DWORD usage,
                                               D3DRESOURCETYPE resourceType,
                                               D3DFORMAT checkFormat) {
    const HRESULT hr = callLog->Record(
        "D3D9.CheckDeviceFormat",
        Call("D3D9.CheckDeviceFormat",
             {Dec(adapter), D3DDevTypeName(deviceType), D3DFormatName(adapterFormat),
              D3DUsageName(usage), D3DResourceTypeName(resourceType), D3DFormatName(checkFormat)}));
    if (FAILED(hr)) return hr;
    // A query's "no" is an answer, not a refusal: nothing is logged.
    D3DRefusal why = CheckAdapter(adapter, deviceType);
    if (why == D3DRefusal::None)
        why = ::CheckDeviceFormat(callLog->displayMode.Format, adapterFormat, usage, resourceType,
                                  checkFormat);
    return callLog->calls.back().result = RefusalResult(why);
}

HRESULT CRecordingDirect3D9::GetDeviceCaps(UINT adapter, D3DDEVTYPE deviceType, D3DCAPS9* caps) {
    const HRESULT hr =
        callLog->Record("D3D9.GetDeviceCaps",
                        Call("D3D9.GetDeviceCaps", {Dec(adapter), D3DDevTypeName(deviceType)}));
    if (FAILED(hr)) return hr;
    if (!caps) return callLog->Verdict(D3DRefusal::NullPointer);
    if (const D3DRefusal why = CheckAdapter(adapter, deviceType); why != D3DRefusal::None)
        return callLog->calls.back().result = RefusalResult(why);
    *caps = D3DCAPS9{};
    caps->DeviceType = deviceType;
    caps->AdapterOrdinal = adapter;
    caps->DevCaps = 0x001BBEF0u;
    caps->RasterCaps = 0x07732191u;
    caps->TextureCaps = 0x0001EC45u;
    caps->TextureFilterCaps = 0x03030300u;
    caps->TextureAddressCaps = 0x3Fu;
    caps->MaxTextureWidth = kLimits.maxTextureSide;
    caps->MaxTextureHeight = kLimits.maxTextureSide;
    caps->VertexProcessingCaps = callLog->vertexProcessingCaps;
    caps->MaxActiveLights = kD3DMaxLights;
    caps->MaxPrimitiveCount = 0x00FFFFFFu;
    caps->MaxVertexIndex = 0x00FFFFFFu;
    caps->MaxStreams = 1;
    caps->MaxStreamStride = 255;
    return D3D_OK;
}

HRESULT CRecordingDirect3D9::CheckDeviceMultiSampleType(UINT adapter, D3DDEVTYPE deviceType,
                                                        D3DFORMAT surfaceFormat, BOOL windowed,
                                                        D3DMULTISAMPLE_TYPE multiSampleType,
                                                        DWORD* qualityLevels) {
    const HRESULT hr = callLog->Record(
        "D3D9.CheckDeviceMultiSampleType",
        Call("D3D9.CheckDeviceMultiSampleType",
             {Dec(adapter), D3DDevTypeName(deviceType), D3DFormatName(surfaceFormat), Dec(windowed),
              D3DMultiSampleName(multiSampleType), qualityLevels ? "out" : "null"}));
    if (FAILED(hr)) return hr;
    if (qualityLevels) *qualityLevels = 0;
    D3DRefusal why = CheckAdapter(adapter, deviceType);
    if (why == D3DRefusal::None)
        why = CheckMultiSampleType(surfaceFormat, multiSampleType, kLimits.maxSamples);
    if (why == D3DRefusal::None && qualityLevels) *qualityLevels = 1;
    return callLog->calls.back().result = RefusalResult(why);
}

HRESULT CRecordingDirect3D9::CreateDevice(UINT adapter, D3DDEVTYPE deviceType, HWND focusWindow,
                                          DWORD behaviorFlags, D3DPRESENT_PARAMETERS* params,
                                          IDirect3DDevice9** device) {
    const HRESULT hr = callLog->Record(
        "D3D9.CreateDevice",
        Call("D3D9.CreateDevice",
             {Dec(adapter), D3DDevTypeName(deviceType), recording::Handle(focusWindow),
              D3DCreateFlagsName(behaviorFlags), recording::PresentParams(params)}));
    // A failed creation hands back no device, as the OpenGL backend does.
    if (device != nullptr) *device = nullptr;
    if (FAILED(hr)) return hr;
    if (!device || !params) return callLog->Verdict(D3DRefusal::NullPointer);
    if (const D3DRefusal why = CheckAdapter(adapter, deviceType); why != D3DRefusal::None)
        return callLog->Verdict(why);
    if (!params->hDeviceWindow && !focusWindow) return callLog->Verdict(D3DRefusal::NoDeviceWindow);
    D3DPRESENT_PARAMETERS completed{};
    int samples = 0;
    if (const D3DRefusal why = CheckPresentParameters(*params, callLog->displayMode.Format, kLimits,
                                                      &completed, &samples);
        why != D3DRefusal::None)
        return callLog->Verdict(why);
    *params = completed;
    *device = new CRecordingDevice(callLog, this, completed);  // owned by its reference count
    return D3D_OK;
}
