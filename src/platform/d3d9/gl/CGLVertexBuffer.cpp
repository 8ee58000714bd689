#include "platform/d3d9/gl/CGLVertexBuffer.h"

#include <memory>

#include "platform/d3d9/gl/CGLDevice.h"

HRESULT CGLVertexBuffer::Create(CGLDevice& device, UINT length, DWORD usage, DWORD fvf,
                                D3DPOOL pool, IDirect3DVertexBuffer9** out) {
    device.MakeCurrent();
    std::unique_ptr<CGLVertexBuffer> buffer(new CGLVertexBuffer(device, usage, fvf, pool));
    if (!buffer->data.Create(device.Cache(), length, true))
        return RefuseD3DCall("CreateVertexBuffer", D3DRefusal::OutOfVideoMemory);
    buffer->AddRef();
    *out = buffer.release();
    return D3D_OK;
}

CGLVertexBuffer::CGLVertexBuffer(CGLDevice& device, DWORD usage, DWORD fvf, D3DPOOL pool)
    : CD3DResourceLife(device, pool == D3DPOOL_DEFAULT),
      device(device),
      usage(usage),
      fvf(fvf),
      pool(pool) {}

CGLVertexBuffer::~CGLVertexBuffer() {
    Device().MakeCurrent();
    data.Destroy(Device().Cache());
}

HRESULT CGLVertexBuffer::Lock(UINT offset, UINT size, void** bytes, DWORD flags) {
    return data.Lock(offset, size, bytes, flags, "VertexBuffer.Lock");
}

HRESULT CGLVertexBuffer::Unlock() {
    Device().MakeCurrent();
    return data.Unlock(Device().Cache(), "VertexBuffer.Unlock");
}

HRESULT CGLVertexBuffer::GetDesc(D3DVERTEXBUFFER_DESC* desc) {
    if (desc == nullptr) return RefuseD3DCall("VertexBuffer.GetDesc", D3DRefusal::NullPointer);
    desc->Format = D3DFMT_UNKNOWN;  // Direct3D's D3DFMT_VERTEXDATA
    desc->Type = D3DRTYPE_VERTEXBUFFER;
    desc->Usage = usage;
    desc->Pool = pool;
    desc->Size = data.Length();
    desc->FVF = fvf;
    return D3D_OK;
}
