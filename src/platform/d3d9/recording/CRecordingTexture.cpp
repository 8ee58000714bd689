#include "platform/d3d9/recording/CRecordingTexture.h"

#include <utility>

#include "platform/d3d9/D3DChecks.h"
#include "platform/d3d9/recording/RecordingText.h"

using recording::Call;
using recording::Dec;

namespace {
constexpr UINT kBytesPerPixel = 4;  // every colour format the device accepts
}  // namespace

CRecordingTexture::CRecordingTexture(CRecordingDevice* device, std::string label, UINT width,
                                     UINT height, DWORD usage, D3DFORMAT format, D3DPOOL pool)
    : CRecordingResource(device, std::move(label), pool, true),
      level0(std::make_unique<CRecordingSurface>(
          device, Label() + ".level0",
          RecordingSurfaceDesc(width, height, format, usage, pool, D3DMULTISAMPLE_NONE),
          CRecordingSurface::Kind::TextureLevel, this)) {}

ULONG CRecordingTexture::AddRef() {
    CallLog().Note("Texture.AddRef", Call("Texture.AddRef", {Label()}), D3D_OK);
    return AddPublic();
}

ULONG CRecordingTexture::Release() {
    CallLog().Note("Texture.Release", Call("Texture.Release", {Label()}), D3D_OK);
    return ReleasePublic();
}

HRESULT CRecordingTexture::GetLevelDesc(UINT level, D3DSURFACE_DESC* desc) {
    const HRESULT hr = CallLog().Record("Texture.GetLevelDesc",
                                        Call("Texture.GetLevelDesc", {Label(), Dec(level)}));
    if (FAILED(hr)) return hr;
    if (!desc) return CallLog().Verdict(D3DRefusal::NullPointer);
    if (level != 0) return CallLog().Verdict(D3DRefusal::TextureLevel);
    *desc = level0->Desc();
    return D3D_OK;
}

HRESULT CRecordingTexture::GetSurfaceLevel(UINT level, IDirect3DSurface9** surface) {
    const HRESULT hr = CallLog().Record("Texture.GetSurfaceLevel",
                                        Call("Texture.GetSurfaceLevel", {Label(), Dec(level)}));
    if (FAILED(hr)) return hr;
    if (!surface) return CallLog().Verdict(D3DRefusal::NullPointer);
    *surface = nullptr;
    if (level != 0) return CallLog().Verdict(D3DRefusal::TextureLevel);
    level0->AddPublic();
    *surface = level0.get();
    return D3D_OK;
}

HRESULT CRecordingTexture::LockRect(UINT level, D3DLOCKED_RECT* lockedRect, const RECT* rect,
                                    DWORD flags) {
    const HRESULT hr = CallLog().Record(
        "Texture.LockRect", Call("Texture.LockRect", {Label(), Dec(level), recording::Rect(rect),
                                                      recording::LockFlags(flags)}));
    if (FAILED(hr)) return hr;
    if (!lockedRect) return CallLog().Verdict(D3DRefusal::NullPointer);
    const D3DSURFACE_DESC& desc = level0->Desc();
    if (const D3DRefusal why =
            CheckLockRect(level, desc.Pool, locked, rect, desc.Width, desc.Height);
        why != D3DRefusal::None)
        return CallLog().Verdict(why);
    const RECT area =
        rect ? *rect : RECT{0, 0, static_cast<LONG>(desc.Width), static_cast<LONG>(desc.Height)};
    const std::size_t pitch = std::size_t{desc.Width} * kBytesPerPixel;
    if (pixels.empty()) pixels.assign(pitch * desc.Height, 0);
    lockedRect->Pitch = static_cast<INT>(pitch);
    lockedRect->pBits = pixels.data() + static_cast<std::size_t>(area.top) * pitch +
                        static_cast<std::size_t>(area.left) * kBytesPerPixel;
    locked = true;
    return D3D_OK;
}

HRESULT CRecordingTexture::UnlockRect(UINT level) {
    const HRESULT hr =
        CallLog().Record("Texture.UnlockRect", Call("Texture.UnlockRect", {Label(), Dec(level)}));
    if (FAILED(hr)) return hr;
    if (level != 0) return CallLog().Verdict(D3DRefusal::TextureLevel);
    if (!locked) return CallLog().Verdict(D3DRefusal::NotLocked);
    locked = false;
    return D3D_OK;
}
