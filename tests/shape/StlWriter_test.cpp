#include "shape/StlWriter.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

float FloatAt(const std::vector<std::uint8_t>& bytes, std::size_t at) {
    const std::uint32_t bits = bytes[at] | bytes[at + 1] << 8 | bytes[at + 2] << 16 |
                               static_cast<std::uint32_t>(bytes[at + 3]) << 24;
    float value = 0;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

}  // namespace

TEST(StlWriter, WritesEachTriangleWithItsNormalLittleEndian) {
    // A right triangle in the z = 0 plane, counter-clockwise from +z, and a
    // triangle with no area, whose normal is written as zero.
    SolidMesh solid;
    solid.positions = {{0, 0, 0}, {2, 0, 0}, {0, 3, 0}, {1, 1, 1}};
    solid.triangles = {{{0, 1, 2}}, {{3, 3, 3}}};
    const std::vector<std::uint8_t> bytes = BinaryStl(solid);
    ASSERT_EQ(bytes.size(), 84u + 2 * 50);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(bytes.data()), 7), "Tessary");
    EXPECT_EQ(bytes[79], 0);
    EXPECT_TRUE(bytes[80] == 2 && bytes[81] == 0 && bytes[82] == 0 && bytes[83] == 0);
    // {byte offset, value}: normal, then the corners in the solid's order.
    const std::pair<std::size_t, float> floats[] = {
        {84, 0}, {88, 0}, {92, 1},            // normal +z
        {96, 0}, {108, 2}, {124, 3},          // x of corner 0 and 1, y of corner 2
        {134, 0}, {138, 0}, {142, 0},         // no area: zero normal
        {146, 1}, {150, 1}, {154, 1},         // its first corner
    };
    for (const auto& [at, value] : floats) EXPECT_EQ(FloatAt(bytes, at), value) << at;
    EXPECT_TRUE(bytes[132] == 0 && bytes[133] == 0 && bytes[182] == 0 && bytes[183] == 0);
}
