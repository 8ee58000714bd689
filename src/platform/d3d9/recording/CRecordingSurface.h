// Surfaces of the recording device: depth-stencil surfaces and plain
// surfaces in system memory the caller makes (standalone), level 0 of a
// texture (its counts and locks are the texture's) and the implicit back
// buffer and depth buffer (their counts are the device's). A plain
// surface's pixels are kept for LockRect; the device draws none, so a
// render target read back into it leaves them as they were.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/d3d9/D3DChecks.h"
#include "platform/d3d9/d3d9.h"
#include "platform/d3d9/recording/CRecordingResource.h"

class CRecordingTexture;

class CRecordingSurface final : public IDirect3DSurface9, public CRecordingResource {
public:
    enum class Kind { Standalone, TextureLevel, Implicit };

    CRecordingSurface(CRecordingDevice* device, std::string label, const D3DSURFACE_DESC& desc,
                      Kind kind, CRecordingTexture* container);

    ULONG AddRef() override;
    ULONG Release() override;
    D3DRESOURCETYPE GetType() override { return D3DRTYPE_SURFACE; }
    HRESULT GetDesc(D3DSURFACE_DESC* desc) override;
    HRESULT LockRect(D3DLOCKED_RECT* locked, const RECT* rect, DWORD flags) override;
    HRESULT UnlockRect() override;

    // References that are not logged: the creator's and GetRenderTarget's.
    ULONG AddPublic();
    ULONG ReleasePublic();
    void Bind() override;
    void Unbind() override;

    const D3DSURFACE_DESC& Desc() const { return desc; }
    // What the argument checks need to know of it.
    D3DSurfaceFacts Facts() const;
    CRecordingTexture* Container() const { return container; }
    void Resize(UINT width, UINT height, D3DFORMAT format, D3DMULTISAMPLE_TYPE multiSample);

private:
    D3DSURFACE_DESC desc;
    Kind kind;
    CRecordingTexture* container;      // TextureLevel only
    std::vector<std::uint8_t> pixels;  // a plain surface's, made at the first lock
    bool locked = false;
};

D3DSURFACE_DESC RecordingSurfaceDesc(UINT width, UINT height, D3DFORMAT format, DWORD usage,
                                     D3DPOOL pool, D3DMULTISAMPLE_TYPE multiSample);
