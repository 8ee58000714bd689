#include "shape/SolidMesh.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "genetic/Decode.h"
#include "genetic/Genome.h"
#include "platform/Random.h"

namespace {

using Params = std::vector<double>;  // the twelve slots a0 a1 b0 b1 m0 m1 n1_0 ...

struct Shape : CSuperShape {
    explicit Shape(const Params& p) { std::memcpy(Parameters(), p.data(), 12 * sizeof(double)); }
};

struct Case {
    std::string name;
    Params params;
};

// With m = 0 and n1 = n2 = 1 each curve is a circle of radius a, so the
// surface is the ellipsoid with semi-axes (a0 a1, a0 a1, a1).
Params Ellipsoid(double a0, double a1) { return {a0, a1, 1, 1, 0, 0, 1, 1, 1, 1, 1, 1}; }

// The default shape, ellipsoids, random genomes as start-up makes them, and
// finite shapes whose radius vanishes or spikes somewhere.
std::vector<Case> ExportableShapes() {
    const CSuperShape defaults;
    std::vector<Case> cases = {
        {"default", Params(defaults.Parameters(), defaults.Parameters() + 12)},
        {"sphere", Ellipsoid(1, 1)},
        {"flat ellipsoid", Ellipsoid(3, 0.5)},
        {"tall ellipsoid", Ellipsoid(0.2, 2)},
        {"pinched", {1, 1, 1, 1, 4, 2, 0.5, 10, 0.5, 10, 0.5, 10}},
        {"spiked", {1, 1, 1, 1, 12, 30, 40, 2, 40, 40, 0.5, 40}},
    };
    Srand(20240607);
    for (int k = 0; k < 6; ++k) {
        Genome genome;
        genome.Randomize();
        CSuperShape shape;
        DecodeGenome(genome, shape);
        cases.push_back({"random genome " + std::to_string(k),
                         Params(shape.Parameters(), shape.Parameters() + 12)});
    }
    return cases;
}

double Length(const SolidVector& v) { return std::hypot(double(v.x), double(v.y), double(v.z)); }

}  // namespace

TEST(SolidMesh, EveryShapeIsAClosedOutwardSolidOfTheAskedSize) {
    for (const double size : {50.0, 0.5, 1234.5}) {
        for (const Case& c : ExportableShapes()) {
            SCOPED_TRACE(c.name + " at " + std::to_string(size));
            SolidMesh solid;
            ASSERT_EQ(BuildSolid(Shape(c.params), size, &solid), SolidStatus::Ok);
            ASSERT_EQ(solid.positions.size(), std::size_t(kSolidVertexCount));
            ASSERT_EQ(solid.normals.size(), std::size_t(kSolidVertexCount));
            ASSERT_EQ(solid.triangles.size(), std::size_t(kSolidTriangleCount));

            // Closed and consistently oriented: each directed edge once, and
            // its reverse once.
            std::map<std::pair<int, int>, int> directed;
            for (const SolidTriangle& t : solid.triangles) {
                for (int k = 0; k < 3; ++k) {
                    ASSERT_TRUE(t.v[k] >= 0 && t.v[k] < kSolidVertexCount);
                    ++directed[{t.v[k], t.v[(k + 1) % 3]}];
                }
            }
            for (const auto& [edge, count] : directed) {
                ASSERT_EQ(count, 1) << edge.first << "->" << edge.second;
                ASSERT_EQ(directed.count({edge.second, edge.first}), 1u)
                    << edge.first << "->" << edge.second << " has no reverse";
            }

            EXPECT_GT(SignedVolume(solid), 0.0);
            const SolidBounds b = BoundsOf(solid);
            EXPECT_NEAR(LargestExtent(b), size, size * 1e-6);
            for (int k = 0; k < 3; ++k) EXPECT_NEAR(b.min[k] + b.max[k], 0.0, size * 1e-6) << k;
            for (const SolidVector& n : solid.normals) ASSERT_NEAR(Length(n), 1.0, 1e-6);
        }
    }
}

TEST(SolidMesh, VolumeExtentsAndNormalsOfEllipsoidsMatchTheirFormulas) {
    struct Ellipse {
        double a0, a1;
    };
    for (const Ellipse e : {Ellipse{1, 1}, Ellipse{3, 0.5}, Ellipse{0.2, 2}}) {
        SCOPED_TRACE(std::to_string(e.a0) + ", " + std::to_string(e.a1));
        SolidMesh solid;
        ASSERT_EQ(BuildSolid(Shape(Ellipsoid(e.a0, e.a1)), 50.0, &solid), SolidStatus::Ok);
        const double axes[3] = {e.a0 * e.a1, e.a0 * e.a1, e.a1};
        const double scale = 50.0 / (2 * std::max(axes[0], axes[2]));
        const SolidBounds b = BoundsOf(solid);
        // The grid has no row on the equator: the nearest is pi/126 away.
        for (int k = 0; k < 3; ++k) {
            EXPECT_NEAR(b.max[k] - b.min[k], 2 * axes[k] * scale, 2 * axes[k] * scale * 1e-3) << k;
        }
        // The inscribed polyhedron falls short of the ellipsoid by a few
        // tenths of a percent.
        const double volume = 4.0 / 3.0 * M_PI * axes[0] * axes[1] * axes[2] * std::pow(scale, 3);
        EXPECT_NEAR(SignedVolume(solid), volume, volume * 0.01);
        EXPECT_LT(SignedVolume(solid), volume);

        // Outward: along the gradient (x/A^2, y/B^2, z/C^2) of the ellipsoid.
        for (std::size_t k = 0; k < solid.positions.size(); ++k) {
            const SolidVector& p = solid.positions[k];
            const SolidVector& n = solid.normals[k];
            const double g[3] = {p.x / (axes[0] * axes[0]), p.y / (axes[1] * axes[1]),
                                 p.z / (axes[2] * axes[2])};
            const double cosine =
                (g[0] * n.x + g[1] * n.y + g[2] * n.z) / std::hypot(g[0], g[1], g[2]);
            ASSERT_GT(cosine, 0.99) << "vertex " << k;
        }
    }
}

TEST(SolidMesh, ShapesWithoutAFiniteSurfaceExtentOrVolumeAreRefused) {
    struct Refusal {
        std::string name;
        Params params;
        SolidStatus expected;
    };
    const Refusal cases[] = {
        {"NaN parameter", {std::nan(""), 1, 1, 1, 3, 3, 2, 2, 2, 2, 2, 2}, SolidStatus::NotFinite},
        {"0 / 0 in both terms", {0, 0, 0, 0, 0, 0, 2, 2, 2, 2, 2, 2}, SolidStatus::NotFinite},
        {"A + B of 0", {INFINITY, 1, INFINITY, 1, 3, 3, 2, 2, 2, 2, 2, 2}, SolidStatus::NotFinite},
        {"mutated n1 overflows some radii",
         {1, 1, 1, 1, 12, -6, 40, 0.05, 40, 40, 0.1, 40},
         SolidStatus::NotFinite},
        {"a of 0: every radius 0", {0, 0, 1, 1, 0, 0, 2, 2, 2, 2, 2, 2}, SolidStatus::NoExtent},
        {"n1 of 1e-300: every radius 0",
         {1, 1, 1, 1, 4, 4, 1e-300, 1e-300, 1, 1, 1, 1},
         SolidStatus::NoExtent},
        {"longitude radius 0: a segment of the axis",
         {1e-3, 1e3, 1, 1, 7, 3, 0.2, 40, 40, 1, 1, 40},
         SolidStatus::NoVolume},
    };
    for (const Refusal& c : cases) {
        SolidMesh solid;
        solid.positions.resize(3);
        EXPECT_EQ(BuildSolid(Shape(c.params), 50.0, &solid), c.expected) << c.name;
        EXPECT_TRUE(solid.positions.empty() && solid.triangles.empty()) << c.name;
    }
}
