#include "shape/StlWriter.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr std::size_t kHeaderBytes = 80;
constexpr std::size_t kTriangleBytes = 50;  // 12 floats and a 16-bit attribute

// Writes `value` little-endian at `at` and moves past it.
void PutWord(std::uint8_t*& at, std::uint32_t value) {
    for (int k = 0; k < 4; ++k) *at++ = static_cast<std::uint8_t>(value >> (8 * k));
}

void PutVector(std::uint8_t*& at, const SolidVector& v) {
    for (const float value : {v.x, v.y, v.z}) {
        std::uint32_t bits = 0;
        std::memcpy(&bits, &value, sizeof bits);
        PutWord(at, bits);
    }
}

}  // namespace

std::vector<std::uint8_t> BinaryStl(const SolidMesh& solid) {
    std::vector<std::uint8_t> bytes(kHeaderBytes + 4 + kTriangleBytes * solid.triangles.size(), 0);
    std::copy(kStlHeader, kStlHeader + sizeof kStlHeader - 1, bytes.begin());
    std::uint8_t* at = bytes.data() + kHeaderBytes;
    PutWord(at, static_cast<std::uint32_t>(solid.triangles.size()));
    for (const SolidTriangle& triangle : solid.triangles) {
        PutVector(at, FaceNormal(solid, triangle));
        for (const int corner : triangle.v) PutVector(at, solid.positions[corner]);
        at += 2;  // the attribute word stays zero
    }
    return bytes;
}
