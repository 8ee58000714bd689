// The recording Direct3D object: reports the call log's adapter and makes
// recording devices.
#pragma once

#include <memory>

#include "platform/d3d9/d3d9.h"
#include "platform/d3d9/recording/CRecordingCallLog.h"

class CRecordingDirect3D9 final : public IDirect3D9 {
public:
    explicit CRecordingDirect3D9(std::shared_ptr<CRecordingCallLog> callLog);

    ULONG AddRef() override;
    ULONG Release() override;
    HRESULT GetAdapterDisplayMode(UINT adapter, D3DDISPLAYMODE* mode) override;
    HRESULT CheckDeviceFormat(UINT adapter, D3DDEVTYPE deviceType, D3DFORMAT adapterFormat,
                              DWORD usage, D3DRESOURCETYPE resourceType,
                              D3DFORMAT checkFormat) override;
    HRESULT GetDeviceCaps(UINT adapter, D3DDEVTYPE deviceType, D3DCAPS9* caps) override;
    HRESULT CheckDeviceMultiSampleType(UINT adapter, D3DDEVTYPE deviceType, D3DFORMAT surfaceFormat,
                                       BOOL windowed, D3DMULTISAMPLE_TYPE multiSampleType,
                                       DWORD* qualityLevels) override;
    HRESULT CreateDevice(UINT adapter, D3DDEVTYPE deviceType, HWND focusWindow, DWORD behaviorFlags,
                         D3DPRESENT_PARAMETERS* params, IDirect3DDevice9** device) override;

    // References that devices hold; not logged.
    void AddRefInternal() { ++refs; }
    ULONG ReleaseInternal();

private:
    ~CRecordingDirect3D9() override;

    std::shared_ptr<CRecordingCallLog> callLog;
    ULONG refs = 1;
};
