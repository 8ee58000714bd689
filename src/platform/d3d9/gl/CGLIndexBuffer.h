// Index buffers of the GL backend: 16- or 32-bit indices.
#pragma once

#include <epoxy/gl.h>

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

    const CGLBufferData& Data() const { return data; }
    UINT IndexSize() const { return format == D3DFMT_INDEX32 ? 4 : 2; }
    GLenum IndexType() const { return format == D3DFMT_INDEX32 ? GL_UNSIGNED_INT : GL_UNSIGNED_SHORT; }
    UINT IndexCount() const { return data.Length() / IndexSize(); }
    // Smallest and largest of `count` indices from `start`; false when the
    // range does not lie inside the buffer.
    bool ScanIndices(UINT start, UINT count, UINT* smallest, UINT* largest) const;

private:
    CGLIndexBuffer(CGLDevice& device, DWORD usage, D3DFORMAT format, D3DPOOL pool);
    void DestroySelf() override { delete this; }

    CGLBufferData data;
    DWORD usage;
    D3DFORMAT format;
    D3DPOOL pool;
};
