#include "platform/d3d9/recording/CRecordingSurface.h"

#include <utility>

#include "platform/d3d9/recording/CRecordingDevice.h"
#include "platform/d3d9/recording/CRecordingTexture.h"
#include "platform/d3d9/recording/RecordingText.h"

using recording::Call;

D3DSURFACE_DESC RecordingSurfaceDesc(UINT width, UINT height, D3DFORMAT format, DWORD usage,
                                     D3DPOOL pool, D3DMULTISAMPLE_TYPE multiSample) {
    D3DSURFACE_DESC desc{};
    desc.Format = format;
    desc.Type = D3DRTYPE_SURFACE;
    desc.Usage = usage;
    desc.Pool = pool;
    desc.MultiSampleType = multiSample;
    desc.Width = width;
    desc.Height = height;
    return desc;
}

CRecordingSurface::CRecordingSurface(CRecordingDevice* device, std::string label,
                                     const D3DSURFACE_DESC& desc, Kind kind,
                                     CRecordingTexture* container)
    : CRecordingResource(device, std::move(label), desc.Pool, kind == Kind::Standalone),
      desc(desc),
      kind(kind),
      container(container) {}

ULONG CRecordingSurface::AddRef() {
    CallLog().Note("Surface.AddRef", Call("Surface.AddRef", {Label()}), D3D_OK);
    return AddPublic();
}

ULONG CRecordingSurface::Release() {
    CallLog().Note("Surface.Release", Call("Surface.Release", {Label()}), D3D_OK);
    return ReleasePublic();
}

ULONG CRecordingSurface::AddPublic() {
    switch (kind) {
        case Kind::TextureLevel: return container->AddPublic();
        case Kind::Implicit: return Owner()->AddRefInternal();
        case Kind::Standalone: break;
    }
    return AddPublicRef();
}

ULONG CRecordingSurface::ReleasePublic() {
    switch (kind) {
        case Kind::TextureLevel: return container->ReleasePublic();
        case Kind::Implicit: return Owner()->ReleaseInternal();
        case Kind::Standalone: break;
    }
    return ReleasePublicRef();
}

void CRecordingSurface::Bind() {
    switch (kind) {
        case Kind::TextureLevel: container->Bind(); return;
        case Kind::Implicit: return;  // part of the device itself
        case Kind::Standalone: CD3DResourceLife::Bind(); return;
    }
}

void CRecordingSurface::Unbind() {
    switch (kind) {
        case Kind::TextureLevel: container->Unbind(); return;
        case Kind::Implicit: return;
        case Kind::Standalone: CD3DResourceLife::Unbind(); return;
    }
}

HRESULT CRecordingSurface::GetDesc(D3DSURFACE_DESC* out) {
    const HRESULT hr = CallLog().Record("Surface.GetDesc", Call("Surface.GetDesc", {Label()}));
    if (FAILED(hr)) return hr;
    if (!out) return CallLog().Verdict(D3DRefusal::NullPointer);
    *out = desc;
    return D3D_OK;
}

D3DSurfaceFacts CRecordingSurface::Facts() const {
    D3DSurfaceFacts facts;
    facts.given = true;
    facts.mine = true;
    facts.desc = desc;
    facts.locked = locked;
    return facts;
}

HRESULT CRecordingSurface::LockRect(D3DLOCKED_RECT* lockedRect, const RECT* rect, DWORD flags) {
    if (kind == Kind::TextureLevel) return container->LockRect(0, lockedRect, rect, flags);
    const HRESULT hr = CallLog().Record(
        "Surface.LockRect",
        Call("Surface.LockRect", {Label(), recording::Rect(rect), recording::LockFlags(flags)}));
    if (FAILED(hr)) return hr;
    if (!lockedRect) return CallLog().Verdict(D3DRefusal::NullPointer);
    if (const D3DRefusal why = CheckSurfaceLockRect(Facts(), rect); why != D3DRefusal::None)
        return CallLog().Verdict(why);
    const std::size_t pitch = std::size_t{desc.Width} * 4;
    if (pixels.empty()) pixels.assign(pitch * desc.Height, 0);
    const std::size_t top = rect ? static_cast<std::size_t>(rect->top) : 0;
    const std::size_t left = rect ? static_cast<std::size_t>(rect->left) : 0;
    lockedRect->Pitch = static_cast<INT>(pitch);
    lockedRect->pBits = pixels.data() + top * pitch + left * 4;
    locked = true;
    return D3D_OK;
}

HRESULT CRecordingSurface::UnlockRect() {
    if (kind == Kind::TextureLevel) return container->UnlockRect(0);
    const HRESULT hr =
        CallLog().Record("Surface.UnlockRect", Call("Surface.UnlockRect", {Label()}));
    if (FAILED(hr)) return hr;
    if (!locked) return CallLog().Verdict(D3DRefusal::NotLocked);
    locked = false;
    return D3D_OK;
}

void CRecordingSurface::Resize(UINT width, UINT height, D3DFORMAT format,
                               D3DMULTISAMPLE_TYPE multiSample) {
    desc.Width = width;
    desc.Height = height;
    desc.Format = format;
    desc.MultiSampleType = multiSample;
}
