// Indexed draws held back and joined into one GL draw.
//
// llvmpipe shades every vertex between the smallest and the largest index
// of a draw, so the program's 63 strips per shape, each reaching across the
// whole vertex buffer, would shade its 4096 vertices 63 times. A run of
// indexed draws with nothing changed in between is therefore held back and
// drawn as one: the indices (plus the base vertex) are gathered here and
// streamed out at once, strips separated by primitive restart. The device
// draws what is held before it does anything else (see CGLDevice::
// FlushDraws), so the state is the one the draws were made with.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/d3d9/D3DVertexFormat.h"
#include "platform/d3d9/gl/CGLStateCache.h"
#include "platform/d3d9/gl/CGLStreamBuffer.h"

class CGLIndexBuffer;

class CGLJoinedDraws {
public:
    // Whether a draw of `type` can join the run held back.
    bool Joins(D3DPRIMITIVETYPE type) const { return active && type == runType; }
    bool Active() const { return active; }

    // Adds the draw's indices to the run; on a refusal the run is as it was.
    D3DRefusal Add(const CGLIndexBuffer& indices, const D3DIndexedDraw& draw,
                   std::int64_t streamVertices);
    // Gathers the indices of a draw that starts a new run, which is held
    // back once Hold is called (after the device has set up the draw).
    D3DRefusal Start(const CGLIndexBuffer& indices, const D3DIndexedDraw& draw,
                     std::int64_t streamVertices);
    void Hold(D3DPRIMITIVETYPE type);

    // Draws the run with the state in force and ends it. The vertex setup
    // must be the run's; the context current.
    void Flush(CGLStreamBuffer& stream, CGLStateCache& cache);

private:
    bool active = false;
    D3DPRIMITIVETYPE runType = D3DPT_TRIANGLELIST;
    std::vector<std::uint32_t> indices;  // base vertex already added
};
