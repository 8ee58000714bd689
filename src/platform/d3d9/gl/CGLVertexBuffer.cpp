#include "platform/d3d9/gl/CGLVertexBuffer.h"

#include <memory>

#include "platform/d3d9/gl/CGLDevice.h"

namespace {
// Beyond this a buffer is refused as absurd rather than allocated.
constexpr UINT kMaxBufferBytes = 256u << 20;
}  // namespace

HRESULT CGLVertexBuffer::Create(CGLDevice& device, UINT length, DWORD usage, DWORD fvf,
                                D3DPOOL pool, IDirect3DVertexBuffer9** out) {
    if (out == nullptr) return D3DERR_INVALIDCALL;
    *out = nullptr;
    if (length == 0 || pool == D3DPOOL_SCRATCH) return D3DERR_INVALIDCALL;
    if (length > kMaxBufferBytes) return D3DERR_OUTOFVIDEOMEMORY;
    device.MakeCurrent();
    std::unique_ptr<CGLVertexBuffer> buffer(new CGLVertexBuffer(device, usage, fvf, pool));
    if (!buffer->data.Create(length, true)) return D3DERR_OUTOFVIDEOMEMORY;
    buffer->AddRef();
    *out = buffer.release();
    return D3D_OK;
}

CGLVertexBuffer::CGLVertexBuffer(CGLDevice& device, DWORD usage, DWORD fvf, D3DPOOL pool)
    : CGLResourceLife(device, pool == D3DPOOL_DEFAULT), usage(usage), fvf(fvf), pool(pool) {}

CGLVertexBuffer::~CGLVertexBuffer() {
    Device().MakeCurrent();
    Device().BufferDeleting(data.Name());
    data.Destroy();
}

HRESULT CGLVertexBuffer::Lock(UINT offset, UINT size, void** bytes, DWORD flags) {
    return data.Lock(offset, size, bytes, flags);
}

HRESULT CGLVertexBuffer::Unlock() {
    Device().MakeCurrent();
    return data.Unlock();
}

HRESULT CGLVertexBuffer::GetDesc(D3DVERTEXBUFFER_DESC* desc) {
    if (desc == nullptr) return D3DERR_INVALIDCALL;
    desc->Format = D3DFMT_UNKNOWN;  // Direct3D's D3DFMT_VERTEXDATA
    desc->Type = D3DRTYPE_VERTEXBUFFER;
    desc->Usage = usage;
    desc->Pool = pool;
    desc->Size = data.Length();
    desc->FVF = fvf;
    return D3D_OK;
}
