#include "shape/SuperShapeMesh.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

#include "platform/Random.h"

namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

void SetCurves(CSuperShape& s, std::initializer_list<double> slots) {
    int k = 0;
    for (double v : slots) s.Parameters()[k++] = v;
}

// Parameter sets with zero, infinite and NaN radii and coincident points.
std::vector<std::vector<double>> DegenerateSets() {
    return {
        {1, 1, 1, 1, 8, 2, 0, 0, 100, 10, 30, 10},       // n1 = 0
        {0, 0, 1, 1, 0, 0, 2, 2, 2, 2, 2, 2},             // a = 0: every point at the origin
        {1, 1, 0, 0, 5, 3, 2, 2, 2, 2, 2, 2},             // b = 0
        {1, 1, 1, 1, 7, 3, 1, 1, 0, 0, 0, 0},             // 0^0 = 1
        {1, 1, 1, 1, 36, -18, 120, 0.001, 120, 120, 0, 120},  // far outside the bred ranges
        {1, 1, 1, 1, 4, 4, 1e-300, 1e-300, 1, 1, 1, 1},  // radii overflow float
        {kNaN, 1, 1, kInf, 3, 3, 2, 2, 2, 2, 2, 2},
    };
}

bool SameFloat(float p, float q) {
    return std::memcmp(&p, &q, sizeof p) == 0 || (std::isnan(p) && std::isnan(q));
}

}  // namespace

TEST(SuperShapePoint, DefaultShapeValues) {
    const CSuperShape s;
    struct Case {
        double theta, phi, x, y, z;
    };
    const Case cases[] = {
        {0, 0, 1, 0, 0},
        {M_PI / 8, 0, 1.098684, 0.455090, 0},
        {0, M_PI / 4, 0.765355, 0, 0.765355},
        {MeshTheta(0), MeshPhi(0), 5.77e-8, 5.0e-15, 1.319508},
    };
    for (const Case& c : cases) {
        const D3DXVECTOR3 p = s.GetPoint(c.theta, c.phi);
        EXPECT_NEAR(p.x, c.x, 1e-6) << c.theta << " " << c.phi;
        EXPECT_NEAR(p.y, c.y, 1e-6);
        EXPECT_NEAR(p.z, c.z, 1e-6);
    }
}

TEST(SuperShapePoint, RadiusSpecialCases) {
    CSuperShape sphere;
    SetCurves(sphere, {1, 1, 1, 1, 0, 0, 3.5, 0.2, 17, 4, 2, 9});
    CSuperShape mirrored;  // m negated
    SetCurves(mirrored, {1, 1, 1, 1, -5, -3, 2, 3, 4, 5, 6, 7});
    CSuperShape plain;
    SetCurves(plain, {1, 1, 1, 1, 5, 3, 2, 3, 4, 5, 6, 7});
    CSuperShape zeroA;
    SetCurves(zeroA, {0, 0, 1, 1, 5, 3, 2, 3, 4, 5, 6, 7});
    for (double t : {-2.5, -0.3, 0.0, 0.7, 1.9, 3.1}) {
        for (int c : {0, 1}) {
            EXPECT_DOUBLE_EQ(SuperformulaRadius(sphere, c, t), 1.0);
            EXPECT_EQ(SuperformulaRadius(mirrored, c, t), SuperformulaRadius(plain, c, t));
            EXPECT_EQ(SuperformulaRadius(zeroA, c, t), 0.0);
        }
        const D3DXVECTOR3 p = sphere.GetPoint(t, t / 2);
        EXPECT_NEAR(std::sqrt(p.x * p.x + p.y * p.y + p.z * p.z), 1.0, 1e-6);
    }
}

TEST(SuperShapeMesh, FastPositionsEqualPointByPointBitForBit) {
    std::vector<std::vector<double>> sets = DegenerateSets();
    sets.push_back({1, 1, 1, 1, 8, 2, 60, 10, 100, 10, 30, 10});
    Srand(4242);
    for (int k = 0; k < 20; ++k) {  // the ranges breeding can produce
        auto u = [] { return Rand() / 32767.0; };
        sets.push_back({1, 1, 1, 1, u() * 54 - 18, u() * 54 - 18, u() * 120, u() * 120,
                        u() * 120, u() * 120, u() * 120, u() * 120});
    }
    std::vector<MeshVertex> fast(kMeshVertexCount), slow(kMeshVertexCount);
    for (const auto& set : sets) {
        CSuperShape s;
        SetCurves(s, {set[0], set[1], set[2], set[3], set[4], set[5], set[6], set[7], set[8],
                      set[9], set[10], set[11]});
        WriteMeshPositions(s, fast.data());
        WriteMeshPositionsPointByPoint(s, slow.data());
        for (int v = 0; v < kMeshVertexCount; ++v) {
            ASSERT_TRUE(SameFloat(fast[v].px, slow[v].px) && SameFloat(fast[v].py, slow[v].py) &&
                        SameFloat(fast[v].pz, slow[v].pz))
                << "vertex " << v << " m0 " << set[4];
        }
    }
}

TEST(SuperShapeMesh, NormalsPointOutwardsAtAnyScaleAndWrapAcrossSliceZero) {
    // With m = 0 a curve's radius is a^(n2 / n1), and the latitude curve
    // scales the whole surface: spheres whose cross products
    // vanish or overflow in single precision.
    std::vector<MeshVertex> v(kMeshVertexCount);
    for (double radius : {1e-25, 1e25, 1.0}) {
        CSuperShape sphere;
        SetCurves(sphere, {1, radius, 1, 1, 0, 0, 2, 2, 2, 2, 2, 2});
        WriteMeshPositions(sphere, v.data());
        WriteMeshNormals(v.data());
        for (int i = 0; i < kMeshSlices; ++i) {
            const MeshVertex& north = v[64 * i];
            const MeshVertex& south = v[64 * i + 63];
            EXPECT_EQ(north.nx, 0.0f);
            EXPECT_EQ(north.nz, 1.0f);
            EXPECT_EQ(south.ny, 0.0f);
            EXPECT_EQ(south.nz, -1.0f);
            for (int j = 1; j < 63; ++j) {
                // The outward normal is the position's direction, up to the
                // tilt of a face spanning the next slice and row.
                const MeshVertex& p = v[64 * i + j];
                const double outward = (double(p.nx) * p.px + double(p.ny) * p.py +
                                        double(p.nz) * p.pz) / radius;
                ASSERT_GT(outward, 0.9) << radius << " at " << i << "," << j;
            }
        }
    }
    // Slice 63 steps to slice 0, row 62 to the south pole row.
    const MeshVertex& p = v[64 * 63 + 62];
    const MeshVertex& east = v[62];
    const MeshVertex& below = v[64 * 63 + 63];
    const double d1[3] = {east.px - p.px, east.py - p.py, east.pz - p.pz};
    const double d2[3] = {below.px - p.px, below.py - p.py, below.pz - p.pz};
    const double n[3] = {d1[1] * d2[2] - d1[2] * d2[1], d1[2] * d2[0] - d1[0] * d2[2],
                         d1[0] * d2[1] - d1[1] * d2[0]};
    const double len = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
    EXPECT_NEAR(p.nx, n[0] / len, 1e-6);
    EXPECT_NEAR(p.ny, n[1] / len, 1e-6);
    EXPECT_NEAR(p.nz, n[2] / len, 1e-6);
}

TEST(SuperShapeMesh, DegenerateParametersGiveFiniteUnitNormals) {
    std::vector<MeshVertex> v(kMeshVertexCount);
    for (const auto& set : DegenerateSets()) {
        CSuperShape s;
        std::memcpy(s.Parameters(), set.data(), 12 * sizeof(double));
        WriteMeshPositions(s, v.data());
        WriteMeshNormals(v.data());
        for (int k = 0; k < kMeshVertexCount; ++k) {
            const double len = std::sqrt(double(v[k].nx) * v[k].nx + double(v[k].ny) * v[k].ny +
                                         double(v[k].nz) * v[k].nz);
            ASSERT_NEAR(len, 1.0, 1e-6) << "vertex " << k << " n1 " << set[6];
        }
    }
    // With every point at the origin there is no direction to take but up.
    CSuperShape collapsed;
    SetCurves(collapsed, {0, 0, 1, 1, 0, 0, 2, 2, 2, 2, 2, 2});
    WriteMeshPositions(collapsed, v.data());
    WriteMeshNormals(v.data());
    EXPECT_EQ(v[64 * 20 + 30].px, 0.0f);
    EXPECT_EQ(v[64 * 20 + 30].nz, 1.0f);
}

TEST(SuperShapeMesh, IndexStripsCloseEachBandAndStopAt8190) {
    std::vector<WORD> idx(kMeshIndexBufferBytes / sizeof(WORD), 0xBEEF);
    ASSERT_EQ(idx.size(), 8320u);
    WriteMeshIndices(idx.data());
    const WORD* strip0 = &idx[0];
    const WORD* strip62 = &idx[130 * 62];
    EXPECT_EQ(strip0[0], 0);
    EXPECT_EQ(strip0[1], 1);
    EXPECT_EQ(strip0[2], 64);  // first triangle: slice 0 rows 0, 1, then slice 1 row 0
    EXPECT_EQ(strip0[128], 0);
    EXPECT_EQ(strip0[129], 1);
    EXPECT_EQ(strip62[0], 62);
    EXPECT_EQ(strip62[1], 63);
    EXPECT_EQ(strip62[127], 63 * 64 + 63);
    EXPECT_EQ(strip62[128], 62);
    EXPECT_EQ(strip62[129], 63);
    for (int k = 0; k < kMeshIndexCount; ++k) ASSERT_LE(idx[k], 4095);
    for (std::size_t k = kMeshIndexCount; k < idx.size(); ++k) ASSERT_EQ(idx[k], 0xBEEF);
}
