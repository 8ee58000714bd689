// An off-screen target: a render-target texture with its own depth surface
// and viewport. The targets End returns to are the ones current at Init.
#include "gfx/CDXRenderTexture.h"

#include "gfx/CDXContext.h"

namespace {
template <class T>
void ReleaseAndClear(T*& object) {
    if (object) object->Release();
    object = nullptr;
}

// In this order: the texture, its level, the own depth surface, then the
// two surfaces saved at Init.
void ReleaseHeld(IDirect3DTexture9*& texture, IDirect3DSurface9*& targetSurface,
                 IDirect3DSurface9*& depthSurface, IDirect3DSurface9*& savedTarget,
                 IDirect3DSurface9*& savedDepth) {
    ReleaseAndClear(texture);
    ReleaseAndClear(targetSurface);
    ReleaseAndClear(depthSurface);
    ReleaseAndClear(savedTarget);
    ReleaseAndClear(savedDepth);
}
}  // namespace

CDXRenderTexture::~CDXRenderTexture() {
    ReleaseHeld(texture, targetSurface, depthSurface, savedTarget, savedDepth);
}

int CDXRenderTexture::Init(CDXContext* ctx, UINT width, UINT height) {
    // A second Init gives back what the first one took.
    ReleaseHeld(texture, targetSurface, depthSurface, savedTarget, savedDepth);
    context = ctx;
    IDirect3DDevice9* device = ctx ? ctx->device : nullptr;
    if (!device) return 1;

    // Each step writes its field only when it succeeds, so a failing step
    // leaves its field and every later one null.
    IDirect3DSurface9* surface = nullptr;
    if (FAILED(device->GetRenderTarget(0, &surface))) return 1;
    savedTarget = surface;

    surface = nullptr;
    if (FAILED(device->GetDepthStencilSurface(&surface))) return 1;
    savedDepth = surface;

    surface = nullptr;
    if (FAILED(device->CreateDepthStencilSurface(width, height,
                                                 ctx->presentParams.AutoDepthStencilFormat,
                                                 D3DMULTISAMPLE_NONE, 0, TRUE, &surface,
                                                 nullptr))) {
        return 1;
    }
    depthSurface = surface;

    IDirect3DTexture9* created = nullptr;
    if (FAILED(device->CreateTexture(width, height, 1, D3DUSAGE_RENDERTARGET,
                                     ctx->presentParams.BackBufferFormat, D3DPOOL_DEFAULT,
                                     &created, nullptr))) {
        return 1;
    }
    texture = created;

    surface = nullptr;
    if (FAILED(texture->GetSurfaceLevel(0, &surface))) return 1;
    targetSurface = surface;

    viewport = D3DVIEWPORT9{0, 0, width, height, 0.0f, 1.0f};
    return 0;
}

int CDXRenderTexture::Begin() {
    IDirect3DDevice9* device = context ? context->device : nullptr;
    if (!device) return 0;
    // After a failed Init the target is null and the device refuses it; the
    // depth surface and viewport are then left alone too, so the current
    // target keeps its own.
    device->SetRenderTarget(0, targetSurface);
    if (targetSurface) {
        device->SetDepthStencilSurface(depthSurface);
        device->SetViewport(&viewport);
    }
    return 0;
}

int CDXRenderTexture::End() {
    IDirect3DDevice9* device = context ? context->device : nullptr;
    if (!device) return 0;
    // Setting render target 0 also resets the viewport to the whole target.
    device->SetRenderTarget(0, savedTarget);
    if (savedDepth) device->SetDepthStencilSurface(savedDepth);
    return 0;
}

IDirect3DTexture9* CDXRenderTexture::GetTexture() { return texture; }
IDirect3DSurface9* CDXRenderTexture::GetDepthSurface() { return depthSurface; }
IDirect3DSurface9* CDXRenderTexture::GetSavedTarget() { return savedTarget; }
