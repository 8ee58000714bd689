// The recording Direct3D object: reports the journal's adapter and makes
// recording devices.
#include <utility>

#include "platform/d3d9/recording/RecordingObjects.h"
#include "platform/d3d9/recording/RecordingText.h"

using recording::Call;
using recording::Dec;

namespace {
bool ValidBackBufferSize(UINT width, UINT height) {
    return width > 0 && height > 0 && width <= kRecordingMaxDimension &&
           height <= kRecordingMaxDimension;
}
}  // namespace

IDirect3D9* CreateRecordingDirect3D9(std::shared_ptr<CRecordingJournal> journal) {
    if (!journal) return nullptr;
    return new CRecordingDirect3D9(std::move(journal));  // owned by its reference count
}

CRecordingDirect3D9::CRecordingDirect3D9(std::shared_ptr<CRecordingJournal> journal)
    : journal(std::move(journal)) {
    this->journal->ObjectCreated();
}

CRecordingDirect3D9::~CRecordingDirect3D9() { journal->ObjectDestroyed(); }

ULONG CRecordingDirect3D9::AddRef() {
    journal->Note("D3D9.AddRef", "D3D9.AddRef()", D3D_OK);
    return ++refs;
}

ULONG CRecordingDirect3D9::Release() {
    journal->Note("D3D9.Release", "D3D9.Release()", D3D_OK);
    return ReleaseInternal();
}

ULONG CRecordingDirect3D9::ReleaseInternal() {
    if (refs == 0) return 0;
    const ULONG left = --refs;
    if (left == 0) delete this;
    return left;
}

HRESULT CRecordingDirect3D9::GetAdapterDisplayMode(UINT adapter, D3DDISPLAYMODE* mode) {
    const HRESULT hr = journal->Record("D3D9.GetAdapterDisplayMode",
                                       Call("D3D9.GetAdapterDisplayMode", {Dec(adapter)}));
    if (FAILED(hr)) return hr;
    if (adapter != D3DADAPTER_DEFAULT || !mode) {
        journal->calls.back().result = D3DERR_INVALIDCALL;
        return D3DERR_INVALIDCALL;
    }
    *mode = journal->displayMode;
    return D3D_OK;
}

HRESULT CRecordingDirect3D9::CheckDeviceFormat(UINT adapter, D3DDEVTYPE deviceType,
                                               D3DFORMAT adapterFormat, DWORD usage,
                                               D3DRESOURCETYPE resourceType,
                                               D3DFORMAT checkFormat) {
    const HRESULT hr = journal->Record(
        "D3D9.CheckDeviceFormat",
        Call("D3D9.CheckDeviceFormat", {Dec(adapter), Dec(deviceType), Dec(adapterFormat),
                                        Dec(usage), Dec(resourceType), Dec(checkFormat)}));
    if (FAILED(hr)) return hr;
    if (adapter != D3DADAPTER_DEFAULT) {
        journal->calls.back().result = D3DERR_INVALIDCALL;
        return D3DERR_INVALIDCALL;
    }
    return D3D_OK;
}

HRESULT CRecordingDirect3D9::GetDeviceCaps(UINT adapter, D3DDEVTYPE deviceType, D3DCAPS9* caps) {
    const HRESULT hr = journal->Record("D3D9.GetDeviceCaps",
                                       Call("D3D9.GetDeviceCaps", {Dec(adapter), Dec(deviceType)}));
    if (FAILED(hr)) return hr;
    if (adapter != D3DADAPTER_DEFAULT || !caps) {
        journal->calls.back().result = D3DERR_INVALIDCALL;
        return D3DERR_INVALIDCALL;
    }
    *caps = D3DCAPS9{};
    caps->DeviceType = deviceType;
    caps->AdapterOrdinal = adapter;
    caps->DevCaps = 0x001BBEF0u;
    caps->RasterCaps = 0x07732191u;
    caps->TextureCaps = 0x0001EC45u;
    caps->TextureFilterCaps = 0x03030300u;
    caps->TextureAddressCaps = 0x3Fu;
    caps->MaxTextureWidth = kRecordingMaxDimension;
    caps->MaxTextureHeight = kRecordingMaxDimension;
    caps->VertexProcessingCaps = journal->vertexProcessingCaps;
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
    const HRESULT hr = journal->Record(
        "D3D9.CheckDeviceMultiSampleType",
        Call("D3D9.CheckDeviceMultiSampleType",
             {Dec(adapter), Dec(deviceType), Dec(surfaceFormat), Dec(windowed),
              Dec(multiSampleType), qualityLevels ? "out" : "null"}));
    if (FAILED(hr)) return hr;
    if (adapter != D3DADAPTER_DEFAULT) {
        journal->calls.back().result = D3DERR_INVALIDCALL;
        return D3DERR_INVALIDCALL;
    }
    if (qualityLevels) *qualityLevels = 1;
    return D3D_OK;
}

HRESULT CRecordingDirect3D9::CreateDevice(UINT adapter, D3DDEVTYPE deviceType, HWND focusWindow,
                                          DWORD behaviorFlags, D3DPRESENT_PARAMETERS* params,
                                          IDirect3DDevice9** device) {
    const HRESULT hr = journal->Record(
        "D3D9.CreateDevice",
        Call("D3D9.CreateDevice", {Dec(adapter), Dec(deviceType), recording::Handle(focusWindow),
                                   recording::Hex(behaviorFlags), recording::PresentParams(params)}));
    // A failed creation hands back no device, as the OpenGL backend does.
    if (device != nullptr) *device = nullptr;
    if (FAILED(hr)) return hr;
    if (adapter != D3DADAPTER_DEFAULT || !focusWindow || !params || !device ||
        !ValidBackBufferSize(params->BackBufferWidth, params->BackBufferHeight)) {
        journal->calls.back().result = D3DERR_INVALIDCALL;
        return D3DERR_INVALIDCALL;
    }
    *device = new CRecordingDevice(journal, this, *params);  // owned by its reference count
    return D3D_OK;
}
