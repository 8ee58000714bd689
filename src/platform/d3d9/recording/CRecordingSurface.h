// Surfaces of the recording device: depth-stencil surfaces the caller makes
// (standalone), level 0 of a texture (its counts are the texture's) and the
// implicit back buffer and depth buffer (their counts are the device's).
#pragma once

#include <string>

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

    // References that are not logged: the creator's and GetRenderTarget's.
    ULONG AddPublic();
    ULONG ReleasePublic();
    void Bind() override;
    void Unbind() override;

    const D3DSURFACE_DESC& Desc() const { return desc; }
    CRecordingTexture* Container() const { return container; }
    void Resize(UINT width, UINT height, D3DFORMAT format, D3DMULTISAMPLE_TYPE multiSample);
    bool IsRenderTarget() const { return (desc.Usage & D3DUSAGE_RENDERTARGET) != 0; }
    bool IsDepthStencil() const { return (desc.Usage & D3DUSAGE_DEPTHSTENCIL) != 0; }

private:
    D3DSURFACE_DESC desc;
    Kind kind;
    CRecordingTexture* container;  // TextureLevel only
};

D3DSURFACE_DESC RecordingSurfaceDesc(UINT width, UINT height, D3DFORMAT format, DWORD usage,
                                     D3DPOOL pool, D3DMULTISAMPLE_TYPE multiSample);
