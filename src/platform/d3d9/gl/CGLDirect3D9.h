// The Direct3D object of the GL backend: adapter queries answered from what
// OpenGL 3.3 core guarantees (and, once a device exists, from what its
// context reports), and device creation on a GL context from the provider.
#pragma once

#include <optional>

#include "platform/GLContext.h"
#include "platform/d3d9/D3DChecks.h"
#include "platform/d3d9/d3d9.h"

class CGLDirect3D9 final : public IDirect3D9 {
public:
    explicit CGLDirect3D9(IGLContextProvider& provider) : provider(provider) {}

    ULONG AddRef() override;
    ULONG Release() override;

    HRESULT GetAdapterDisplayMode(UINT adapter, D3DDISPLAYMODE* mode) override;
    HRESULT CheckDeviceFormat(UINT adapter, D3DDEVTYPE deviceType, D3DFORMAT adapterFormat,
                              DWORD usage, D3DRESOURCETYPE resourceType,
                              D3DFORMAT checkFormat) override;
    HRESULT GetDeviceCaps(UINT adapter, D3DDEVTYPE deviceType, D3DCAPS9* caps) override;
    HRESULT CheckDeviceMultiSampleType(UINT adapter, D3DDEVTYPE deviceType,
                                       D3DFORMAT surfaceFormat, BOOL windowed,
                                       D3DMULTISAMPLE_TYPE multiSampleType,
                                       DWORD* qualityLevels) override;
    HRESULT CreateDevice(UINT adapter, D3DDEVTYPE deviceType, HWND focusWindow,
                         DWORD behaviorFlags, D3DPRESENT_PARAMETERS* params,
                         IDirect3DDevice9** device) override;

    // A device tells what its context can do, for later queries.
    void NoteLimits(const D3DDeviceLimits& limits) { knownLimits = limits; }

private:
    ~CGLDirect3D9() override = default;

    IGLContextProvider& provider;
    ULONG refs = 1;
    std::optional<D3DDeviceLimits> knownLimits;
};
