// Textures of the recording device: one level, like the GL backend's, whose
// pixels a managed texture hands out through LockRect.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/d3d9/d3d9.h"
#include "platform/d3d9/recording/CRecordingResource.h"
#include "platform/d3d9/recording/CRecordingSurface.h"

class CRecordingTexture final : public IDirect3DTexture9, public CRecordingResource {
public:
    CRecordingTexture(CRecordingDevice* device, std::string label, UINT width, UINT height,
                      DWORD usage, D3DFORMAT format, D3DPOOL pool);

    ULONG AddRef() override;
    ULONG Release() override;
    D3DRESOURCETYPE GetType() override { return D3DRTYPE_TEXTURE; }
    DWORD GetLevelCount() override { return 1; }
    HRESULT GetLevelDesc(UINT level, D3DSURFACE_DESC* desc) override;
    HRESULT GetSurfaceLevel(UINT level, IDirect3DSurface9** surface) override;
    HRESULT LockRect(UINT level, D3DLOCKED_RECT* locked, const RECT* rect, DWORD flags) override;
    HRESULT UnlockRect(UINT level) override;

    // References that are not logged: the creator's and the level's.
    ULONG AddPublic() { return AddPublicRef(); }
    ULONG ReleasePublic() { return ReleasePublicRef(); }

private:
    std::unique_ptr<CRecordingSurface> level0;
    std::vector<std::uint8_t> pixels;
    bool locked = false;
};
