// Textures of the GL backend: one level, 8 bits a channel holding Direct3D's
// A8R8G8B8 or X8R8G8B8 (whose stored alpha is always 1, so it samples as
// 1). Render targets live in the default pool; managed textures keep a BGRA
// copy that LockRect hands out and UnlockRect uploads.
#pragma once

#include <epoxy/gl.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/d3d9/CD3DResourceLife.h"
#include "platform/d3d9/d3d9.h"
#include "platform/d3d9/gl/CGLSurface.h"

class CGLDevice;

class CGLTexture final : public IDirect3DTexture9, public CD3DResourceLife {
public:
    // Arguments already checked (CheckCreateTexture).
    static HRESULT Create(CGLDevice& device, UINT width, UINT height, DWORD usage, D3DFORMAT format,
                          D3DPOOL pool, IDirect3DTexture9** texture);
    ~CGLTexture() override;

    ULONG AddRef() override { return AddPublicRef(); }
    ULONG Release() override { return ReleasePublicRef(); }
    D3DRESOURCETYPE GetType() override { return D3DRTYPE_TEXTURE; }
    DWORD GetLevelCount() override { return 1; }
    HRESULT GetLevelDesc(UINT level, D3DSURFACE_DESC* desc) override;
    HRESULT GetSurfaceLevel(UINT level, IDirect3DSurface9** surface) override;
    HRESULT LockRect(UINT level, D3DLOCKED_RECT* locked, const RECT* rect, DWORD flags) override;
    HRESULT UnlockRect(UINT level) override;

    CGLDevice& Device() const { return device; }
    GLuint Name() const { return name; }
    UINT Width() const { return width; }
    UINT Height() const { return height; }
    D3DFORMAT Format() const { return format; }
    DWORD Usage() const { return usage; }
    D3DPOOL Pool() const { return pool; }
    CGLSurface& Level0() { return *level0; }

private:
    CGLTexture(CGLDevice& device, UINT width, UINT height, DWORD usage, D3DFORMAT format,
               D3DPOOL pool);
    void DestroySelf() override { delete this; }

    CGLDevice& device;
    GLuint name = 0;
    UINT width;
    UINT height;
    DWORD usage;
    D3DFORMAT format;
    D3DPOOL pool;
    std::vector<std::uint8_t> bytes;  // managed copy, BGRA, rows top first
    bool locked = false;
    bool lockReadOnly = false;
    RECT lockedRect{};
    std::unique_ptr<CGLSurface> level0;
};
