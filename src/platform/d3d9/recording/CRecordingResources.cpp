// Textures, surfaces and buffers of the recording device.
#include <cstring>
#include <utility>

#include "platform/d3d9/recording/RecordingObjects.h"
#include "platform/d3d9/recording/RecordingText.h"

using recording::Call;
using recording::Dec;

// ---------------------------------------------------------------------------
// Reference counting shared by every resource

CRecordingResource::CRecordingResource(CRecordingDevice* device, std::string label,
                                       D3DPOOL pool, bool standalone)
    : device(device), label(std::move(label)), pool(pool), standalone(standalone) {
    if (standalone) {
        device->AddRefInternal();
        device->ResourceCreated(pool);
        device->Journal().ObjectCreated();
    }
}

CRecordingResource::~CRecordingResource() {
    if (standalone) {
        device->Journal().ObjectDestroyed();
        device->ResourceDestroyed(pool);
    }
}

CRecordingJournal& CRecordingResource::Journal() const { return device->Journal(); }

ULONG CRecordingResource::AddPublic() {
    // Coming back from no outside reference (a bound surface handed out by
    // GetRenderTarget) takes the device reference again.
    if (refs++ == 0) device->AddRefInternal();
    return refs;
}

ULONG CRecordingResource::ReleasePublic() {
    if (refs == 0) return 0;  // over-release of an object that only bindings keep
    const ULONG left = --refs;
    if (left == 0) {
        CRecordingDevice* owner = device;
        DestroyIfUnused();  // may delete this
        owner->ReleaseInternal();
    }
    return left;
}

void CRecordingResource::Bind() { ++bindings; }

void CRecordingResource::Unbind() {
    if (bindings == 0) return;
    --bindings;
    DestroyIfUnused();
}

void CRecordingResource::DestroyIfUnused() {
    if (refs == 0 && bindings == 0) delete this;
}

// ---------------------------------------------------------------------------
// Surfaces

CRecordingSurface::CRecordingSurface(CRecordingDevice* device, std::string label,
                                     const D3DSURFACE_DESC& desc, Kind kind,
                                     CRecordingTexture* container)
    : CRecordingResource(device, std::move(label), desc.Pool, kind == Kind::Standalone),
      desc(desc),
      kind(kind),
      container(container) {}

ULONG CRecordingSurface::AddRef() {
    Journal().Note("Surface.AddRef", Call("Surface.AddRef", {Label()}), D3D_OK);
    return AddPublic();
}

ULONG CRecordingSurface::Release() {
    Journal().Note("Surface.Release", Call("Surface.Release", {Label()}), D3D_OK);
    return ReleasePublic();
}

ULONG CRecordingSurface::AddPublic() {
    switch (kind) {
        case Kind::TextureLevel: return container->AddPublic();
        case Kind::Implicit: return Owner()->AddRefInternal();
        case Kind::Standalone: break;
    }
    return CRecordingResource::AddPublic();
}

ULONG CRecordingSurface::ReleasePublic() {
    switch (kind) {
        case Kind::TextureLevel: return container->ReleasePublic();
        case Kind::Implicit: return Owner()->ReleaseInternal();
        case Kind::Standalone: break;
    }
    return CRecordingResource::ReleasePublic();
}

void CRecordingSurface::Bind() {
    switch (kind) {
        case Kind::TextureLevel: container->Bind(); return;
        case Kind::Implicit: return;  // part of the device itself
        case Kind::Standalone: CRecordingResource::Bind(); return;
    }
}

void CRecordingSurface::Unbind() {
    switch (kind) {
        case Kind::TextureLevel: container->Unbind(); return;
        case Kind::Implicit: return;
        case Kind::Standalone: CRecordingResource::Unbind(); return;
    }
}

D3DRESOURCETYPE CRecordingSurface::GetType() { return D3DRTYPE_SURFACE; }

HRESULT CRecordingSurface::GetDesc(D3DSURFACE_DESC* out) {
    HRESULT hr = Journal().Record("Surface.GetDesc", Call("Surface.GetDesc", {Label()}));
    if (FAILED(hr)) return hr;
    if (!out) {
        Journal().calls.back().result = D3DERR_INVALIDCALL;
        return D3DERR_INVALIDCALL;
    }
    *out = desc;
    return D3D_OK;
}

void CRecordingSurface::Resize(UINT width, UINT height, D3DFORMAT format) {
    desc.Width = width;
    desc.Height = height;
    desc.Format = format;
}

// ---------------------------------------------------------------------------
// Textures

namespace {
constexpr UINT kBytesPerPixel = 4;  // every colour format the device accepts

std::string RectText(const RECT* rect) {
    if (!rect) return "null";
    return "[" + Dec(rect->left) + " " + Dec(rect->top) + " " + Dec(rect->right) + " " +
           Dec(rect->bottom) + "]";
}

HRESULT Refuse(CRecordingJournal& journal) {
    journal.calls.back().result = D3DERR_INVALIDCALL;
    return D3DERR_INVALIDCALL;
}
}  // namespace

CRecordingTexture::CRecordingTexture(CRecordingDevice* device, std::string label, UINT width,
                                     UINT height, UINT levels, DWORD usage, D3DFORMAT format,
                                     D3DPOOL pool)
    : CRecordingResource(device, std::move(label), pool, true) {
    for (UINT level = 0; level < levels; ++level) {
        D3DSURFACE_DESC desc{};
        desc.Format = format;
        desc.Type = D3DRTYPE_SURFACE;
        desc.Usage = usage;
        desc.Pool = pool;
        desc.MultiSampleType = D3DMULTISAMPLE_NONE;
        desc.Width = width >> level > 0 ? width >> level : 1;
        desc.Height = height >> level > 0 ? height >> level : 1;
        surfaces.push_back(std::make_unique<CRecordingSurface>(
            device, Label() + ".level" + std::to_string(level), desc,
            CRecordingSurface::Kind::TextureLevel, this));
    }
    pixels.resize(levels);
    locked.resize(levels, false);
}

ULONG CRecordingTexture::AddRef() {
    Journal().Note("Texture.AddRef", Call("Texture.AddRef", {Label()}), D3D_OK);
    return AddPublic();
}

ULONG CRecordingTexture::Release() {
    Journal().Note("Texture.Release", Call("Texture.Release", {Label()}), D3D_OK);
    return ReleasePublic();
}

D3DRESOURCETYPE CRecordingTexture::GetType() { return D3DRTYPE_TEXTURE; }

DWORD CRecordingTexture::GetLevelCount() { return static_cast<DWORD>(surfaces.size()); }

HRESULT CRecordingTexture::GetLevelDesc(UINT level, D3DSURFACE_DESC* desc) {
    const HRESULT hr = Journal().Record("Texture.GetLevelDesc",
                                        Call("Texture.GetLevelDesc", {Label(), Dec(level)}));
    if (FAILED(hr)) return hr;
    if (!desc || level >= surfaces.size()) return Refuse(Journal());
    *desc = surfaces[level]->Desc();
    return D3D_OK;
}

HRESULT CRecordingTexture::GetSurfaceLevel(UINT level, IDirect3DSurface9** surface) {
    const HRESULT hr = Journal().Record("Texture.GetSurfaceLevel",
                                        Call("Texture.GetSurfaceLevel", {Label(), Dec(level)}));
    if (FAILED(hr)) return hr;
    if (!surface || level >= surfaces.size()) return Refuse(Journal());
    surfaces[level]->AddPublic();
    *surface = surfaces[level].get();
    return D3D_OK;
}

HRESULT CRecordingTexture::LockRect(UINT level, D3DLOCKED_RECT* lockedRect, const RECT* rect,
                                    DWORD flags) {
    const HRESULT hr = Journal().Record(
        "Texture.LockRect",
        Call("Texture.LockRect", {Label(), Dec(level), RectText(rect), Dec(flags)}));
    if (FAILED(hr)) return hr;
    if (!lockedRect || level >= surfaces.size() || locked[level]) return Refuse(Journal());
    const D3DSURFACE_DESC& desc = surfaces[level]->Desc();
    // Render targets and default-pool textures live on the card: not lockable.
    const bool lockable = (desc.Usage & D3DUSAGE_RENDERTARGET) == 0 &&
                          (desc.Pool != D3DPOOL_DEFAULT || (desc.Usage & D3DUSAGE_DYNAMIC) != 0);
    if (!lockable) return Refuse(Journal());
    RECT area{0, 0, static_cast<LONG>(desc.Width), static_cast<LONG>(desc.Height)};
    if (rect) {
        if (rect->left < 0 || rect->top < 0 || rect->left >= rect->right ||
            rect->top >= rect->bottom || rect->right > area.right || rect->bottom > area.bottom) {
            return Refuse(Journal());
        }
        area = *rect;
    }
    std::vector<std::uint8_t>& bytes = pixels[level];
    const std::size_t pitch = std::size_t{desc.Width} * kBytesPerPixel;
    if (bytes.empty()) bytes.assign(pitch * desc.Height, 0);
    lockedRect->Pitch = static_cast<INT>(pitch);
    lockedRect->pBits = bytes.data() + static_cast<std::size_t>(area.top) * pitch +
                        static_cast<std::size_t>(area.left) * kBytesPerPixel;
    locked[level] = true;
    return D3D_OK;
}

HRESULT CRecordingTexture::UnlockRect(UINT level) {
    const HRESULT hr =
        Journal().Record("Texture.UnlockRect", Call("Texture.UnlockRect", {Label(), Dec(level)}));
    if (FAILED(hr)) return hr;
    if (level >= surfaces.size() || !locked[level]) return Refuse(Journal());
    locked[level] = false;
    return D3D_OK;
}

// ---------------------------------------------------------------------------
// Buffers

namespace {
// Lock of a byte range: size 0 means everything from the offset on.
HRESULT LockBytes(CRecordingJournal& journal, std::vector<std::uint8_t>& bytes, UINT offset,
                  UINT size, void** data, int& lockCount) {
    const std::size_t length = bytes.size();
    if (!data || offset >= length) return Refuse(journal);
    const std::size_t span = size == 0 ? length - offset : size;
    if (span > length - offset) return Refuse(journal);
    *data = bytes.data() + offset;
    ++lockCount;
    return D3D_OK;
}

HRESULT UnlockBytes(CRecordingJournal& journal, int& lockCount) {
    if (lockCount == 0) return Refuse(journal);
    --lockCount;
    return D3D_OK;
}
}  // namespace

CRecordingVertexBuffer::CRecordingVertexBuffer(CRecordingDevice* device, std::string label,
                                               const D3DVERTEXBUFFER_DESC& desc)
    : CRecordingResource(device, std::move(label), desc.Pool, true),
      bytes(desc.Size, 0),
      desc(desc) {}

ULONG CRecordingVertexBuffer::AddRef() {
    Journal().Note("VertexBuffer.AddRef", Call("VertexBuffer.AddRef", {Label()}), D3D_OK);
    return AddPublic();
}

ULONG CRecordingVertexBuffer::Release() {
    Journal().Note("VertexBuffer.Release", Call("VertexBuffer.Release", {Label()}), D3D_OK);
    return ReleasePublic();
}

D3DRESOURCETYPE CRecordingVertexBuffer::GetType() { return D3DRTYPE_VERTEXBUFFER; }

HRESULT CRecordingVertexBuffer::Lock(UINT offsetToLock, UINT sizeToLock, void** data,
                                     DWORD flags) {
    const HRESULT hr = Journal().Record(
        "VertexBuffer.Lock",
        Call("VertexBuffer.Lock", {Label(), Dec(offsetToLock), Dec(sizeToLock), Dec(flags)}));
    if (FAILED(hr)) return hr;
    return LockBytes(Journal(), bytes, offsetToLock, sizeToLock, data, lockCount);
}

HRESULT CRecordingVertexBuffer::Unlock() {
    const HRESULT hr =
        Journal().Record("VertexBuffer.Unlock", Call("VertexBuffer.Unlock", {Label()}));
    if (FAILED(hr)) return hr;
    return UnlockBytes(Journal(), lockCount);
}

HRESULT CRecordingVertexBuffer::GetDesc(D3DVERTEXBUFFER_DESC* out) {
    const HRESULT hr =
        Journal().Record("VertexBuffer.GetDesc", Call("VertexBuffer.GetDesc", {Label()}));
    if (FAILED(hr)) return hr;
    if (!out) return Refuse(Journal());
    *out = desc;
    return D3D_OK;
}

CRecordingIndexBuffer::CRecordingIndexBuffer(CRecordingDevice* device, std::string label,
                                             const D3DINDEXBUFFER_DESC& desc)
    : CRecordingResource(device, std::move(label), desc.Pool, true),
      bytes(desc.Size, 0),
      desc(desc) {}

ULONG CRecordingIndexBuffer::AddRef() {
    Journal().Note("IndexBuffer.AddRef", Call("IndexBuffer.AddRef", {Label()}), D3D_OK);
    return AddPublic();
}

ULONG CRecordingIndexBuffer::Release() {
    Journal().Note("IndexBuffer.Release", Call("IndexBuffer.Release", {Label()}), D3D_OK);
    return ReleasePublic();
}

D3DRESOURCETYPE CRecordingIndexBuffer::GetType() { return D3DRTYPE_INDEXBUFFER; }

HRESULT CRecordingIndexBuffer::Lock(UINT offsetToLock, UINT sizeToLock, void** data,
                                    DWORD flags) {
    const HRESULT hr = Journal().Record(
        "IndexBuffer.Lock",
        Call("IndexBuffer.Lock", {Label(), Dec(offsetToLock), Dec(sizeToLock), Dec(flags)}));
    if (FAILED(hr)) return hr;
    return LockBytes(Journal(), bytes, offsetToLock, sizeToLock, data, lockCount);
}

HRESULT CRecordingIndexBuffer::Unlock() {
    const HRESULT hr =
        Journal().Record("IndexBuffer.Unlock", Call("IndexBuffer.Unlock", {Label()}));
    if (FAILED(hr)) return hr;
    return UnlockBytes(Journal(), lockCount);
}

HRESULT CRecordingIndexBuffer::GetDesc(D3DINDEXBUFFER_DESC* out) {
    const HRESULT hr =
        Journal().Record("IndexBuffer.GetDesc", Call("IndexBuffer.GetDesc", {Label()}));
    if (FAILED(hr)) return hr;
    if (!out) return Refuse(Journal());
    *out = desc;
    return D3D_OK;
}
