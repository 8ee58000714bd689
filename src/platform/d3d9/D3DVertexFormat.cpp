#include "platform/d3d9/D3DVertexFormat.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace {

constexpr DWORD kFvfPositionMask = 0x400E;
constexpr DWORD kFvfPointSize = 0x020;
constexpr DWORD kFvfTexCountShift = 8;
constexpr DWORD kFvfTexCountMask = 0xF;

// Appends the indices that lie in lo..hi-1 (plus `base`), or nothing.
template <class Index>
bool Append(const std::uint8_t* first, UINT count, std::int64_t lo, std::int64_t hi,
            std::int64_t base, std::vector<std::uint32_t>* out) {
    const std::size_t before = out != nullptr ? out->size() : 0;
    if (out != nullptr) out->resize(before + count);
    std::uint32_t* written = out != nullptr ? out->data() + before : nullptr;
    for (UINT i = 0; i < count; ++i) {
        Index value;
        std::memcpy(&value, first + std::size_t{i} * sizeof(Index), sizeof(Index));
        if (value < lo || value >= hi) {
            if (out != nullptr) out->resize(before);
            return false;
        }
        if (written != nullptr) written[i] = static_cast<std::uint32_t>(base + value);
    }
    return true;
}

}  // namespace

D3DVertexLayout DecodeFvf(DWORD fvf) {
    D3DVertexLayout layout;
    int offset = 0;
    switch (fvf & kFvfPositionMask) {
        case D3DFVF_XYZ: offset = 12; break;
        case D3DFVF_XYZRHW:
            offset = 16;
            layout.pretransformed = true;
            break;
        default: return D3DVertexLayout{};  // no position, or blend weights
    }
    if (fvf & D3DFVF_NORMAL) {
        // A pre-transformed vertex is never lit and cannot carry a normal.
        if (layout.pretransformed) return D3DVertexLayout{};
        layout.normalOffset = offset;
        offset += 12;
    }
    if (fvf & kFvfPointSize) offset += 4;
    if (fvf & D3DFVF_DIFFUSE) {
        layout.diffuseOffset = offset;
        offset += 4;
    }
    if (fvf & D3DFVF_SPECULAR) {
        layout.specularOffset = offset;
        offset += 4;
    }
    const DWORD texCount = (fvf >> kFvfTexCountShift) & kFvfTexCountMask;
    if (texCount > 8) return D3DVertexLayout{};
    for (DWORD set = 0; set < texCount; ++set) {
        // D3DFVF_TEXCOORDSIZEn: 0 two floats, 1 three, 2 four, 3 one.
        static constexpr int kComponents[4] = {2, 3, 4, 1};
        const int components = kComponents[(fvf >> (16 + 2 * set)) & 3];
        if (set == 0) {
            layout.texCoordOffset = offset;
            layout.texCoordComponents = components;
        }
        offset += 4 * components;
    }
    layout.size = static_cast<UINT>(offset);
    layout.valid = true;
    return layout;
}

UINT VertexCountFor(D3DPRIMITIVETYPE type, UINT primitiveCount) {
    if (primitiveCount == 0) return 0;
    std::uint64_t n = primitiveCount;
    switch (type) {
        case D3DPT_POINTLIST: break;
        case D3DPT_LINELIST: n *= 2; break;
        case D3DPT_LINESTRIP: n += 1; break;
        case D3DPT_TRIANGLELIST: n *= 3; break;
        case D3DPT_TRIANGLESTRIP:
        case D3DPT_TRIANGLEFAN: n += 2; break;
        default: return 0;
    }
    return n > std::numeric_limits<UINT>::max() ? 0 : static_cast<UINT>(n);
}

D3DRefusal ReadIndices(const std::uint8_t* bytes, std::size_t length, UINT indexSize,
                       const D3DIndexedDraw& draw, std::int64_t streamVertices,
                       std::vector<std::uint32_t>* out) {
    const UINT count = VertexCountFor(draw.type, draw.primitiveCount);
    if (count == 0) return D3DRefusal::PrimitiveCount;
    const std::uint64_t indices = indexSize > 0 ? length / indexSize : 0;
    if (draw.startIndex > indices || count > indices - draw.startIndex)
        return D3DRefusal::IndexRangeOutsideBuffer;
    // Both rules at once: an index lies in the declared range and in the
    // range that, plus the base, stays inside the stream.
    const std::int64_t base = draw.baseVertexIndex;
    const std::int64_t declaredLo = draw.minVertexIndex;
    const std::int64_t declaredHi = declaredLo + draw.numVertices;
    const std::int64_t lo = std::max(declaredLo, -base);
    const std::int64_t hi = std::min(declaredHi, streamVertices - base);
    const std::uint8_t* first = bytes + std::size_t{draw.startIndex} * indexSize;
    const bool inside = indexSize == 4 ? Append<std::uint32_t>(first, count, lo, hi, base, out)
                                       : Append<std::uint16_t>(first, count, lo, hi, base, out);
    if (inside) return D3DRefusal::None;
    // Tell which rule the first bad index broke.
    const std::uint8_t* at = first;
    for (UINT i = 0; i < count; ++i, at += indexSize) {
        std::uint32_t value = 0;
        if (indexSize == 4) {
            std::memcpy(&value, at, 4);
        } else {
            std::uint16_t small = 0;
            std::memcpy(&small, at, 2);
            value = small;
        }
        if (value < declaredLo || value >= declaredHi) return D3DRefusal::IndexOutsideDeclaredRange;
        if (base + value < 0 || base + value >= streamVertices)
            return D3DRefusal::IndexOutsideVertexBuffer;
    }
    return D3DRefusal::IndexOutsideVertexBuffer;
}
