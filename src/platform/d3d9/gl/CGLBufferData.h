// The storage of a vertex or index buffer: a CPU copy that Lock hands out
// (so reads see what was written) and, for vertex buffers, a GL buffer that
// Unlock brings up to date with the locked range.
#pragma once

#include <epoxy/gl.h>

#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/d3d9/D3DVertexFormat.h"
#include "platform/d3d9/d3d9.h"
#include "platform/d3d9/gl/CGLStateCache.h"

class CGLBufferData {
public:
    // The context must be current for these three. Without `onGpu` only the
    // copy is kept.
    bool Create(CGLStateCache& cache, UINT length, bool onGpu);
    void Destroy(CGLStateCache& cache);
    // `call` names the Direct3D call for a refusal ("VertexBuffer.Unlock").
    HRESULT Unlock(CGLStateCache& cache, const char* call);

    HRESULT Lock(UINT offset, UINT size, void** data, DWORD flags, const char* call);

    GLuint Name() const { return name; }
    UINT Length() const { return static_cast<UINT>(bytes.size()); }
    const std::uint8_t* Bytes() const { return bytes.data(); }

private:
    std::vector<std::uint8_t> bytes;
    GLuint name = 0;
    UINT lockCount = 0;
    std::size_t dirtyBegin = 0;
    std::size_t dirtyEnd = 0;
};
