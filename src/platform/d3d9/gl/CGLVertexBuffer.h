// Vertex buffers of the GL backend.
#pragma once

#include "platform/d3d9/CD3DResourceLife.h"
#include "platform/d3d9/d3d9.h"
#include "platform/d3d9/gl/CGLBufferData.h"

class CGLDevice;

class CGLVertexBuffer final : public IDirect3DVertexBuffer9, public CD3DResourceLife {
public:
    // Arguments already checked (CheckCreateBuffer).
    static HRESULT Create(CGLDevice& device, UINT length, DWORD usage, DWORD fvf, D3DPOOL pool,
                          IDirect3DVertexBuffer9** buffer);
    ~CGLVertexBuffer() override;

    ULONG AddRef() override { return AddPublicRef(); }
    ULONG Release() override { return ReleasePublicRef(); }
    D3DRESOURCETYPE GetType() override { return D3DRTYPE_VERTEXBUFFER; }
    HRESULT Lock(UINT offset, UINT size, void** data, DWORD flags) override;
    HRESULT Unlock() override;
    HRESULT GetDesc(D3DVERTEXBUFFER_DESC* desc) override;

    CGLDevice& Device() const { return device; }
    const CGLBufferData& Data() const { return data; }

private:
    CGLVertexBuffer(CGLDevice& device, DWORD usage, DWORD fvf, D3DPOOL pool);
    void DestroySelf() override { delete this; }

    CGLDevice& device;
    CGLBufferData data;
    DWORD usage;
    DWORD fvf;
    D3DPOOL pool;
};
