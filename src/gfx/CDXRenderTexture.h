// An off-screen drawing target: a render-target texture with its own depth
// surface and viewport. Begin sends drawing into it; End returns to the
// targets that were current at Init.
#pragma once

#include "platform/d3d9/d3d9.h"

class CDXContext;

class CDXRenderTexture {
public:
    CDXRenderTexture() = default;
    virtual ~CDXRenderTexture();
    CDXRenderTexture(const CDXRenderTexture&) = delete;
    CDXRenderTexture& operator=(const CDXRenderTexture&) = delete;

    // 0 on success, 1 on failure.
    virtual int Init(CDXContext* ctx, UINT width, UINT height);
    virtual int Begin();
    virtual int End();
    virtual IDirect3DTexture9* GetTexture();
    virtual IDirect3DSurface9* GetDepthSurface();
    virtual IDirect3DSurface9* GetSavedTarget();

private:
    IDirect3DSurface9* savedTarget = nullptr;
    IDirect3DSurface9* savedDepth = nullptr;
    IDirect3DSurface9* depthSurface = nullptr;
    IDirect3DSurface9* targetSurface = nullptr;
    IDirect3DTexture9* texture = nullptr;
    D3DVIEWPORT9 viewport{};
    CDXContext* context = nullptr;  // not owned
};
