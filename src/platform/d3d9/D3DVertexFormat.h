// Direct3D 9's vertex facts, shared by both backends: where the parts of a
// flexible-vertex-format vertex lie, how many vertices a primitive count
// takes, and the walk over the indices of an indexed draw.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/d3d9/D3DRefusal.h"
#include "platform/d3d9/d3d9.h"

// Offsets are -1 when the part is absent.
struct D3DVertexLayout {
    bool valid = false;
    bool pretransformed = false;  // D3DFVF_XYZRHW: x, y in target pixels, never lit
    UINT size = 0;                // bytes per vertex
    int normalOffset = -1;
    int diffuseOffset = -1;
    int specularOffset = -1;
    int texCoordOffset = -1;     // first texture-coordinate set
    int texCoordComponents = 0;  // floats in the first set (1..4)
};

// Not valid for a format without a position, with blend weights, with a
// normal on a pre-transformed vertex or with more than eight coordinate sets.
D3DVertexLayout DecodeFvf(DWORD fvf);

// Number of vertices (or indices) a primitive count needs, 0 for an unknown
// type, a count of 0 or a count that does not fit.
UINT VertexCountFor(D3DPRIMITIVETYPE type, UINT primitiveCount);

// One indexed draw as DrawIndexedPrimitive names it.
struct D3DIndexedDraw {
    D3DPRIMITIVETYPE type = D3DPT_TRIANGLELIST;
    INT baseVertexIndex = 0;
    UINT minVertexIndex = 0;
    UINT numVertices = 0;
    UINT startIndex = 0;
    UINT primitiveCount = 0;
};

// Reads the indices of `draw` from an index buffer (`bytes`, `length`
// bytes of `indexSize`-byte indices) and checks each: it must lie in the
// declared range minVertexIndex .. minVertexIndex + numVertices - 1, and
// plus the base vertex it must name one of `streamVertices` vertices. With
// `out`, appends the vertices (index plus base); on a refusal `out` is as
// it was.
D3DRefusal ReadIndices(const std::uint8_t* bytes, std::size_t length, UINT indexSize,
                       const D3DIndexedDraw& draw, std::int64_t streamVertices,
                       std::vector<std::uint32_t>* out);
