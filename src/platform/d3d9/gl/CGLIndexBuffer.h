// Index buffers of the GL backend: 16- or 32-bit indices, kept in memory
// only. Draws copy the indices they use (see CGLDevice::DrawIndexedPrimitive).
#pragma once

#include <cstdint>
#include <vector>

#include "platform/d3d9/CD3DResourceLife.h"
#include "platform/d3d9/D3DVertexFormat.h"
#include "platform/d3d9/d3d9.h"
#include "platform/d3d9/gl/CGLBufferData.h"

class CGLDevice;

class CGLIndexBuffer final : public IDirect3DIndexBuffer9, public CD3DResourceLife {
public:
    // Arguments already checked (CheckCreateIndexBuffer).
    static HRESULT Create(CGLDevice& device, UINT length, DWORD usage, D3DFORMAT format,
                          D3DPOOL pool, IDirect3DIndexBuffer9** buffer);
    ~CGLIndexBuffer() override;

    ULONG AddRef() override { return AddPublicRef(); }
    ULONG Release() override { return ReleasePublicRef(); }
    D3DRESOURCETYPE GetType() override { return D3DRTYPE_INDEXBUFFER; }
    HRESULT Lock(UINT offset, UINT size, void** data, DWORD flags) override;
    HRESULT Unlock() override;
    HRESULT GetDesc(D3DINDEXBUFFER_DESC* desc) override;

    CGLDevice& Device() const { return device; }
    UINT IndexSize() const { return format == D3DFMT_INDEX32 ? 4 : 2; }
    // The draw's indices, checked and plus the base vertex (ReadIndices).
    D3DRefusal ReadIndices(const D3DIndexedDraw& draw, std::int64_t streamVertices,
                           std::vector<std::uint32_t>* out) const;

private:
    CGLIndexBuffer(CGLDevice& device, DWORD usage, D3DFORMAT format, D3DPOOL pool);
    void DestroySelf() override { delete this; }

    CGLDevice& device;
    CGLBufferData data;
    DWORD usage;
    D3DFORMAT format;
    D3DPOOL pool;
};
