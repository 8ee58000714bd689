// Index buffers of the GL backend: 16- or 32-bit indices, kept in memory
// only. Draws copy the indices they use (see CGLDevice::DrawIndexedPrimitive).
#pragma once

#include <cstdint>
#include <vector>

#include "platform/d3d9/d3d9.h"
#include "platform/d3d9/gl/CGLBufferData.h"
#include "platform/d3d9/gl/CGLResourceLife.h"

class CGLIndexBuffer final : public IDirect3DIndexBuffer9, public CGLResourceLife {
public:
    static HRESULT Create(CGLDevice& device, UINT length, DWORD usage, D3DFORMAT format,
                          D3DPOOL pool, IDirect3DIndexBuffer9** buffer);
    ~CGLIndexBuffer() override;

    ULONG AddRef() override { return AddPublicRef(); }
    ULONG Release() override { return ReleasePublicRef(); }
    D3DRESOURCETYPE GetType() override { return D3DRTYPE_INDEXBUFFER; }
    HRESULT Lock(UINT offset, UINT size, void** data, DWORD flags) override;
    HRESULT Unlock() override;
    HRESULT GetDesc(D3DINDEXBUFFER_DESC* desc) override;

    UINT IndexSize() const { return format == D3DFMT_INDEX32 ? 4 : 2; }
    UINT IndexCount() const { return data.Length() / IndexSize(); }
    // Appends `count` indices from `start`, each plus `base`, as 32-bit
    // values; false (appending nothing) when the range does not lie inside
    // the buffer or an index would name a vertex outside 0..vertices-1.
    bool AppendIndices(UINT start, UINT count, INT base, std::int64_t vertices,
                       std::vector<std::uint32_t>* out) const;

private:
    CGLIndexBuffer(CGLDevice& device, DWORD usage, D3DFORMAT format, D3DPOOL pool);
    void DestroySelf() override { delete this; }

    CGLBufferData data;
    DWORD usage;
    D3DFORMAT format;
    D3DPOOL pool;
};
