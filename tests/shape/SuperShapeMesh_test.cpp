#include "shape/SuperShapeMesh.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "platform/Random.h"

namespace {

using Params = std::vector<double>;  // the twelve slots a0 a1 b0 b1 m0 m1 ...

struct Shape : CSuperShape {
    explicit Shape(const Params& p) { std::memcpy(Parameters(), p.data(), 12 * sizeof(double)); }
};

// Zero, infinite and NaN radii, coincident points, values far out of range.
const std::vector<Params> kDegenerate = {
    {1, 1, 1, 1, 8, 2, 0, 0, 100, 10, 30, 10}, {1, 1, 1, 1, 36, -18, 120, 1e-3, 120, 120, 0, 120},
    {0, 0, 1, 1, 0, 0, 2, 2, 2, 2, 2, 2},      {1, 1, 1, 1, 4, 4, 1e-300, 1e-300, 1, 1, 1, 1},
    {1, 1, 0, 0, 5, 3, 2, 2, 2, 2, 2, 2},      {1, 1, 1, 1, 7, 3, 1, 1, 0, 0, 0, 0},
    {std::nan(""), 1, 1, INFINITY, 3, 3, 2, 2, 2, 2, 2, 2},
};

}  // namespace

TEST(SuperShapeGeometry, GetPointOnTheDefaultShape) {
    const CSuperShape s;
    // The last case is the grid's first vertex: the pole a hair off the z axis.
    const double cases[][5] = {{0, 0, 1, 0, 0},
                               {M_PI / 8, 0, 1.098684, 0.455090, 0},
                               {0, M_PI / 4, 0.765355, 0, 0.765355},
                               {MeshTheta(0), MeshPhi(0), 5.77e-8, 5.0e-15, 1.319508}};
    for (const auto& c : cases) {
        const D3DXVECTOR3 v = s.GetPoint(c[0], c[1]);
        EXPECT_NEAR(v.x, c[2], 1e-6);
        EXPECT_NEAR(v.y, c[3], 1e-6);
        EXPECT_NEAR(v.z, c[4], 1e-6);
    }
}

TEST(SuperShapeMesh, FastPositionsEqualGetPointBitForBit) {
    std::vector<Params> sets = kDegenerate;
    Srand(4242);
    auto u = [] { return Rand() / 32767.0; };
    for (int k = 0; k < 20; ++k) {  // what breeding can produce
        sets.push_back({1, 1, 1, 1, u() * 54 - 18, u() * 54 - 18, u() * 120, u() * 120, u() * 120,
                        u() * 120, u() * 120, u() * 120});
    }
    std::vector<MeshVertex> fast(kMeshVertexCount), slow(kMeshVertexCount);
    for (const Params& p : sets) {
        WriteMeshPositions(Shape(p), fast.data());
        WriteMeshPositionsPointByPoint(Shape(p), slow.data());
        for (int v = 0; v < kMeshVertexCount; ++v) {
            for (int k = 0; k < 3; ++k) {
                const float f = (&fast[v].px)[k], s = (&slow[v].px)[k];
                ASSERT_TRUE(std::memcmp(&f, &s, 4) == 0 || (std::isnan(f) && std::isnan(s))) << v;
            }
        }
    }
}

TEST(SuperShapeMesh, NormalsAreOutwardAtAnyScaleAndFiniteUnitWhenDegenerate) {
    std::vector<MeshVertex> v(kMeshVertexCount);
    // Spheres (m = 0, radius a1) whose cross products vanish or overflow in
    // single precision; the normal is the position's direction, up to the
    // tilt of a face.
    for (double radius : {1e-25, 1e25, 1.0}) {
        WriteMeshPositions(Shape(Params{1, radius, 1, 1, 0, 0, 2, 2, 2, 2, 2, 2}), v.data());
        WriteMeshNormals(v.data());
        for (int k = 0; k < kMeshVertexCount; ++k) {
            const MeshVertex& p = v[k];
            const double outward = double(p.nx) * p.px + double(p.ny) * p.py + double(p.nz) * p.pz;
            if (k % 64 == 0 || k % 64 == 63) {
                ASSERT_TRUE(p.nx == 0 && p.ny == 0 && p.nz == (k % 64 == 0 ? 1 : -1)) << k;
            } else {
                ASSERT_GT(outward / radius, 0.9) << radius << " at vertex " << k;
            }
        }
    }
    // On the unit sphere, slice 63 takes slice 0 as its neighbour: its faces
    // lean from the radial direction as slice 0's do.
    auto lean = [](const MeshVertex& p) { return p.nx * p.px + p.ny * p.py + p.nz * p.pz; };
    for (int j = 1; j < 63; ++j) ASSERT_NEAR(lean(v[64 * 63 + j]), lean(v[j]), 1e-5) << j;
    for (const Params& p : kDegenerate) {
        WriteMeshPositions(Shape(p), v.data());
        WriteMeshNormals(v.data());
        for (const MeshVertex& n : v) {
            ASSERT_NEAR(std::hypot(double(n.nx), double(n.ny), double(n.nz)), 1.0, 1e-6) << p[6];
        }
    }
}

TEST(SuperShapeMesh, IndexStripsCloseEachBandAndStopAt8190) {
    std::vector<WORD> idx(kMeshIndexBufferBytes / sizeof(WORD), 0xBEEF);
    WriteMeshIndices(idx.data());
    const WORD* last = &idx[130 * 62];
    const WORD expected[][2] = {{idx[0], 0},     {idx[1], 1},   {idx[2], 64},  {idx[128], 0},
                                {idx[129], 1},   {last[0], 62}, {last[1], 63}, {last[127], 4095},
                                {last[128], 62}, {last[129], 63}};  // last[129] is index 8189
    for (const auto& e : expected) EXPECT_EQ(e[0], e[1]);
    for (int k = 0; k < kMeshIndexCount; ++k) ASSERT_LE(idx[k], 4095);
    for (std::size_t k = kMeshIndexCount; k < idx.size(); ++k) ASSERT_EQ(idx[k], 0xBEEF);
}
