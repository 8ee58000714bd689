#include "platform/d3d9/gl/CGLIndexBuffer.h"

#include <memory>

#include "platform/d3d9/gl/CGLDevice.h"

HRESULT CGLIndexBuffer::Create(CGLDevice& device, UINT length, DWORD usage, D3DFORMAT format,
                               D3DPOOL pool, IDirect3DIndexBuffer9** out) {
    std::unique_ptr<CGLIndexBuffer> buffer(new CGLIndexBuffer(device, usage, format, pool));
    if (!buffer->data.Create(device.Cache(), length, false))
        return RefuseD3DCall("CreateIndexBuffer", D3DRefusal::OutOfVideoMemory);
    buffer->AddRef();
    *out = buffer.release();
    return D3D_OK;
}

CGLIndexBuffer::CGLIndexBuffer(CGLDevice& device, DWORD usage, D3DFORMAT format, D3DPOOL pool)
    : CD3DResourceLife(device, pool == D3DPOOL_DEFAULT),
      device(device),
      usage(usage),
      format(format),
      pool(pool) {}

CGLIndexBuffer::~CGLIndexBuffer() = default;

HRESULT CGLIndexBuffer::Lock(UINT offset, UINT size, void** bytes, DWORD flags) {
    return data.Lock(offset, size, bytes, flags, "IndexBuffer.Lock");
}

HRESULT CGLIndexBuffer::Unlock() { return data.Unlock(device.Cache(), "IndexBuffer.Unlock"); }

HRESULT CGLIndexBuffer::GetDesc(D3DINDEXBUFFER_DESC* desc) {
    if (desc == nullptr) return RefuseD3DCall("IndexBuffer.GetDesc", D3DRefusal::NullPointer);
    desc->Format = format;
    desc->Type = D3DRTYPE_INDEXBUFFER;
    desc->Usage = usage;
    desc->Pool = pool;
    desc->Size = data.Length();
    return D3D_OK;
}

D3DRefusal CGLIndexBuffer::ReadIndices(const D3DIndexedDraw& draw, std::int64_t streamVertices,
                                       std::vector<std::uint32_t>* out) const {
    return ::ReadIndices(data.Bytes(), data.Length(), IndexSize(), draw, streamVertices, out);
}
