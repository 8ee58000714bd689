// Surfaces of the GL backend: the back buffer's colour (a texture, or a
// renderbuffer when multisampled) and the automatic depth buffer (owned by
// the device; their references are the device's),
// depth-stencil surfaces made by the caller (GL_DEPTH_COMPONENT16
// renderbuffers), plain surfaces in system memory (BGRA bytes, rows top
// first, that render targets are read back into), and level 0 of a texture
// (owned by the texture; its references and locks are the texture's).
#pragma once

#include <epoxy/gl.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/d3d9/CD3DResourceLife.h"
#include "platform/d3d9/D3DChecks.h"
#include "platform/d3d9/d3d9.h"

class CGLDevice;
class CGLTexture;

enum class GLSurfaceKind { BackBuffer, AutoDepth, DepthStencil, TextureLevel, Plain };

class CGLSurface final : public IDirect3DSurface9, public CD3DResourceLife {
public:
    static std::unique_ptr<CGLSurface> MakeDeviceOwned(CGLDevice& device, GLSurfaceKind kind);
    static std::unique_ptr<CGLSurface> MakeTextureLevel(CGLTexture& texture);
    static HRESULT CreateDepthStencil(CGLDevice& device, UINT width, UINT height, D3DFORMAT format,
                                      D3DMULTISAMPLE_TYPE multiSample, int samples,
                                      IDirect3DSurface9** surface);
    // Arguments already checked (CheckCreateOffscreenPlain).
    static HRESULT CreatePlain(CGLDevice& device, UINT width, UINT height, D3DFORMAT format,
                               IDirect3DSurface9** surface);
    ~CGLSurface() override;

    ULONG AddRef() override;
    ULONG Release() override;
    D3DRESOURCETYPE GetType() override { return D3DRTYPE_SURFACE; }
    HRESULT GetDesc(D3DSURFACE_DESC* desc) override;
    HRESULT LockRect(D3DLOCKED_RECT* locked, const RECT* rect, DWORD flags) override;
    HRESULT UnlockRect() override;
    void Bind() override;
    void Unbind() override;

    CGLDevice& Device() const { return device; }
    GLSurfaceKind Kind() const { return kind; }
    // What the argument checks need to know of it.
    D3DSurfaceFacts Facts();
    UINT Width() const;
    UINT Height() const;
    bool HasStorage() const;
    D3DFORMAT Format() const;
    D3DMULTISAMPLE_TYPE MultiSampleType() const {
        return texture != nullptr ? D3DMULTISAMPLE_NONE : multiSample;
    }
    CGLTexture* Texture() const { return texture; }

    // (Re)allocates the storage of a surface that owns it; false when GL
    // refuses, leaving no storage. The context must be current.
    bool AllocateStorage(UINT width, UINT height, D3DFORMAT format, D3DMULTISAMPLE_TYPE multiSample,
                         int samples);
    void FreeStorage();
    // Attaches the surface to the bound draw framebuffer.
    void AttachTo(GLenum attachment) const;
    // Fills a depth surface with the far plane, so that what is drawn first
    // is not hidden by whatever the memory held.
    void InitialiseDepth() const;
    // A plain surface takes the picture of the bound read framebuffer, of
    // its own size.
    void ReadFramebuffer();

private:
    CGLSurface(CGLDevice& device, GLSurfaceKind kind, bool defaultPool);
    void DestroySelf() override { delete this; }

    CGLDevice& device;
    GLSurfaceKind kind;
    CGLTexture* texture = nullptr;
    GLuint renderbuffer = 0;
    GLuint colourTexture = 0;  // a back buffer without multisampling
    UINT width = 0;
    UINT height = 0;
    D3DFORMAT format = D3DFMT_UNKNOWN;
    D3DMULTISAMPLE_TYPE multiSample = D3DMULTISAMPLE_NONE;
    std::vector<std::uint8_t> bytes;  // a plain surface's pixels
    bool locked = false;
};
