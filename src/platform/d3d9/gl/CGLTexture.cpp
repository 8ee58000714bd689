#include "platform/d3d9/gl/CGLTexture.h"

#include <algorithm>
#include <cstring>

#include "platform/d3d9/D3DChecks.h"
#include "platform/d3d9/gl/CGLDevice.h"
#include "platform/d3d9/gl/GLCheck.h"
#include "platform/d3d9/gl/GLColourTexture.h"

HRESULT CGLTexture::Create(CGLDevice& device, UINT width, UINT height, DWORD usage,
                           D3DFORMAT format, D3DPOOL pool, IDirect3DTexture9** out) {
    device.MakeCurrent();
    std::unique_ptr<CGLTexture> texture(new CGLTexture(device, width, height, usage, format, pool));
    if (pool == D3DPOOL_MANAGED) texture->bytes.assign(std::size_t{width} * height * 4, 0);

    // X8R8G8B8 has no alpha and must sample as 1: its storage keeps alpha 1
    // (the device draws and clears it so), starting here.
    const std::uint32_t fill = format == D3DFMT_X8R8G8B8 ? 0xFF000000u : 0u;
    if (pool == D3DPOOL_MANAGED) {
        for (std::size_t i = 3; i < texture->bytes.size(); i += 4)
            texture->bytes[i] = static_cast<std::uint8_t>(fill >> 24);
    }
    texture->name =
        CreateColourTexture(device.Cache(), width, height,
                            texture->bytes.empty() ? nullptr : texture->bytes.data(), fill);
    if (texture->name == 0) return RefuseD3DCall("CreateTexture", D3DRefusal::OutOfVideoMemory);

    texture->level0 = CGLSurface::MakeTextureLevel(*texture);
    texture->AddRef();
    *out = texture.release();
    return D3D_OK;
}

CGLTexture::CGLTexture(CGLDevice& device, UINT width, UINT height, DWORD usage, D3DFORMAT format,
                       D3DPOOL pool)
    : CD3DResourceLife(device, pool == D3DPOOL_DEFAULT),
      device(device),
      width(width),
      height(height),
      usage(usage),
      format(format),
      pool(pool) {}

CGLTexture::~CGLTexture() {
    Device().MakeCurrent();
    level0.reset();
    if (name != 0) {
        Device().Cache().ForgetTexture(name);
        glDeleteTextures(1, &name);
    }
}

HRESULT CGLTexture::GetLevelDesc(UINT level, D3DSURFACE_DESC* desc) {
    if (desc == nullptr) return RefuseD3DCall("Texture.GetLevelDesc", D3DRefusal::NullPointer);
    if (level != 0) return RefuseD3DCall("Texture.GetLevelDesc", D3DRefusal::TextureLevel);
    desc->Format = format;
    desc->Type = D3DRTYPE_SURFACE;
    desc->Usage = usage;
    desc->Pool = pool;
    desc->MultiSampleType = D3DMULTISAMPLE_NONE;
    desc->MultiSampleQuality = 0;
    desc->Width = width;
    desc->Height = height;
    return D3D_OK;
}

HRESULT CGLTexture::GetSurfaceLevel(UINT level, IDirect3DSurface9** surface) {
    if (surface == nullptr)
        return RefuseD3DCall("Texture.GetSurfaceLevel", D3DRefusal::NullPointer);
    *surface = nullptr;
    if (level != 0) return RefuseD3DCall("Texture.GetSurfaceLevel", D3DRefusal::TextureLevel);
    level0->AddRef();
    *surface = level0.get();
    return D3D_OK;
}

HRESULT CGLTexture::LockRect(UINT level, D3DLOCKED_RECT* out, const RECT* rect, DWORD flags) {
    if (out == nullptr) return RefuseD3DCall("Texture.LockRect", D3DRefusal::NullPointer);
    if (const D3DRefusal why = CheckLockRect(level, pool, locked, rect, width, height);
        why != D3DRefusal::None)
        return RefuseD3DCall("Texture.LockRect", why);
    const RECT r =
        rect != nullptr ? *rect : RECT{0, 0, static_cast<LONG>(width), static_cast<LONG>(height)};
    locked = true;
    lockReadOnly = (flags & D3DLOCK_READONLY) != 0;
    lockedRect = r;
    out->Pitch = static_cast<INT>(width * 4);
    out->pBits = bytes.data() +
                 (std::size_t{static_cast<UINT>(r.top)} * width + static_cast<UINT>(r.left)) * 4;
    return D3D_OK;
}

HRESULT CGLTexture::UnlockRect(UINT level) {
    if (level != 0) return RefuseD3DCall("Texture.UnlockRect", D3DRefusal::TextureLevel);
    if (!locked) return RefuseD3DCall("Texture.UnlockRect", D3DRefusal::NotLocked);
    locked = false;
    if (lockReadOnly) return D3D_OK;
    Device().MakeCurrent();
    const RECT& r = lockedRect;
    const auto w = static_cast<std::size_t>(r.right - r.left);
    const auto h = static_cast<std::size_t>(r.bottom - r.top);
    const std::uint8_t* first =
        bytes.data() +
        (std::size_t{static_cast<UINT>(r.top)} * width + static_cast<UINT>(r.left)) * 4;
    Device().Cache().BindTexture0(name);
    if (format == D3DFMT_X8R8G8B8) {
        // Whatever the caller wrote into the unused byte, the texture keeps
        // alpha 1; the caller's copy stays as written.
        std::vector<std::uint8_t> opaque(w * h * 4);
        for (std::size_t y = 0; y < h; ++y) {
            std::memcpy(&opaque[y * w * 4], first + y * width * 4, w * 4);
            for (std::size_t x = 0; x < w; ++x) opaque[(y * w + x) * 4 + 3] = 0xFF;
        }
        glTexSubImage2D(GL_TEXTURE_2D, 0, r.left, r.top, static_cast<GLsizei>(w),
                        static_cast<GLsizei>(h), GL_BGRA, GL_UNSIGNED_BYTE, opaque.data());
    } else {
        glPixelStorei(GL_UNPACK_ROW_LENGTH, static_cast<GLint>(width));
        glTexSubImage2D(GL_TEXTURE_2D, 0, r.left, r.top, static_cast<GLsizei>(w),
                        static_cast<GLsizei>(h), GL_BGRA, GL_UNSIGNED_BYTE, first);
        glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    }
    CheckGLError("glTexSubImage2D");
    return D3D_OK;
}
