#include "platform/d3d9/gl/CGLIndexBuffer.h"

#include <algorithm>
#include <cstring>
#include <memory>

#include "platform/d3d9/gl/CGLDevice.h"

namespace {
constexpr UINT kMaxBufferBytes = 256u << 20;

template <class Index>
bool Append(const std::uint8_t* bytes, UINT start, UINT count, INT base, std::int64_t vertices,
            std::vector<std::uint32_t>* out) {
    const std::size_t before = out->size();
    for (UINT i = 0; i < count; ++i) {
        Index value;
        std::memcpy(&value, bytes + (std::size_t{start} + i) * sizeof(Index), sizeof(Index));
        const std::int64_t vertex = std::int64_t{base} + value;
        if (vertex < 0 || vertex >= vertices) {
            out->resize(before);
            return false;
        }
        out->push_back(static_cast<std::uint32_t>(vertex));
    }
    return true;
}
}  // namespace

HRESULT CGLIndexBuffer::Create(CGLDevice& device, UINT length, DWORD usage, D3DFORMAT format,
                               D3DPOOL pool, IDirect3DIndexBuffer9** out) {
    if (out == nullptr) return D3DERR_INVALIDCALL;
    *out = nullptr;
    if (length == 0 || pool == D3DPOOL_SCRATCH) return D3DERR_INVALIDCALL;
    if (format != D3DFMT_INDEX16 && format != D3DFMT_INDEX32) return D3DERR_INVALIDCALL;
    if (length > kMaxBufferBytes) return D3DERR_OUTOFVIDEOMEMORY;
    std::unique_ptr<CGLIndexBuffer> buffer(new CGLIndexBuffer(device, usage, format, pool));
    if (!buffer->data.Create(length, false)) return D3DERR_OUTOFVIDEOMEMORY;
    buffer->AddRef();
    *out = buffer.release();
    return D3D_OK;
}

CGLIndexBuffer::CGLIndexBuffer(CGLDevice& device, DWORD usage, D3DFORMAT format, D3DPOOL pool)
    : CGLResourceLife(device, pool == D3DPOOL_DEFAULT), usage(usage), format(format), pool(pool) {}

CGLIndexBuffer::~CGLIndexBuffer() = default;

HRESULT CGLIndexBuffer::Lock(UINT offset, UINT size, void** bytes, DWORD flags) {
    return data.Lock(offset, size, bytes, flags);
}

HRESULT CGLIndexBuffer::Unlock() { return data.Unlock(); }

HRESULT CGLIndexBuffer::GetDesc(D3DINDEXBUFFER_DESC* desc) {
    if (desc == nullptr) return D3DERR_INVALIDCALL;
    desc->Format = format;
    desc->Type = D3DRTYPE_INDEXBUFFER;
    desc->Usage = usage;
    desc->Pool = pool;
    desc->Size = data.Length();
    return D3D_OK;
}

bool CGLIndexBuffer::AppendIndices(UINT start, UINT count, INT base, std::int64_t vertices,
                                   std::vector<std::uint32_t>* out) const {
    if (count == 0 || start > IndexCount() || count > IndexCount() - start) return false;
    if (IndexSize() == 4) return Append<std::uint32_t>(data.Bytes(), start, count, base, vertices, out);
    return Append<std::uint16_t>(data.Bytes(), start, count, base, vertices, out);
}
