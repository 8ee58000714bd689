// Placeholder until the render texture lands.
#include "gfx/CDXRenderTexture.h"

CDXRenderTexture::~CDXRenderTexture() = default;
int CDXRenderTexture::Init(CDXContext* ctx, UINT, UINT) { context = ctx; return 1; }
int CDXRenderTexture::Begin() { return 0; }
int CDXRenderTexture::End() { return 0; }
IDirect3DTexture9* CDXRenderTexture::GetTexture() { return texture; }
IDirect3DSurface9* CDXRenderTexture::GetDepthSurface() { return depthSurface; }
IDirect3DSurface9* CDXRenderTexture::GetSavedTarget() { return savedTarget; }
