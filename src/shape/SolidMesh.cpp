// The printable solid of a supershape. The arithmetic runs in double on the
// stored single-precision positions; results are stored as floats, which is
// what every mesh format keeps.
#include "shape/SolidMesh.h"

#include <algorithm>
#include <cmath>

#include "shape/SuperShapeMesh.h"
#include "shape/Vec3d.h"

namespace {

constexpr int kNorthPole = 0;
constexpr int kSouthPole = kSolidVertexCount - 1;

Vec3d ToDouble(const SolidVector& v) { return {v.x, v.y, v.z}; }

// The solid's vertex for grid slice i, row j: each pole row is one vertex.
int WeldedIndex(int slice, int row) {
    if (row == 0) return kNorthPole;
    if (row == kMeshRows - 1) return kSouthPole;
    return 1 + (kMeshRows - 2) * (slice % kMeshSlices) + (row - 1);
}

SolidVector PoleMean(const MeshVertex* grid, int row) {
    Vec3d sum{0.0, 0.0, 0.0};
    for (int i = 0; i < kMeshSlices; ++i) {
        const MeshVertex& v = grid[kMeshRows * i + row];
        sum = {sum.x + v.px, sum.y + v.py, sum.z + v.pz};
    }
    return {static_cast<float>(sum.x / kMeshSlices), static_cast<float>(sum.y / kMeshSlices),
            static_cast<float>(sum.z / kMeshSlices)};
}

// Normalises `v` into `out`; false when v has zero length or is not finite.
bool TryNormalise(const Vec3d& v, SolidVector& out) {
    const double length = std::sqrt(Dot(v, v));
    if (!(length > 0.0) || !std::isfinite(length)) return false;
    out = {static_cast<float>(v.x / length), static_cast<float>(v.y / length),
           static_cast<float>(v.z / length)};
    return true;
}

// Twice the area times the unit normal.
Vec3d AreaNormal(const SolidMesh& solid, const SolidTriangle& t) {
    const Vec3d a = ToDouble(solid.positions[t.v[0]]);
    return Cross(Minus(ToDouble(solid.positions[t.v[1]]), a),
                 Minus(ToDouble(solid.positions[t.v[2]]), a));
}

}  // namespace

SolidStatus WeldMeshGrid(const MeshVertex* grid, SolidMesh* solid) {
    *solid = SolidMesh{};
    for (int k = 0; k < kMeshVertexCount; ++k) {
        const MeshVertex& v = grid[k];
        if (!std::isfinite(v.px) || !std::isfinite(v.py) || !std::isfinite(v.pz)) {
            return SolidStatus::NotFinite;
        }
    }

    // The 64 positions of a pole row differ only by rounding: the grid's
    // single-precision pi puts them a hair off the axis, slice by slice.
    solid->positions.resize(kSolidVertexCount);
    solid->positions[kNorthPole] = PoleMean(grid, 0);
    solid->positions[kSouthPole] = PoleMean(grid, kMeshRows - 1);
    for (int i = 0; i < kMeshSlices; ++i) {
        for (int j = 1; j < kMeshRows - 1; ++j) {
            const MeshVertex& v = grid[kMeshRows * i + j];
            solid->positions[WeldedIndex(i, j)] = {v.px, v.py, v.pz};
        }
    }

    // The viewer's strips, as separate triangles: in band s, slice i gives
    // (i, s) (i, s+1) (i+1, s) and (i+1, s) (i, s+1) (i+1, s+1), the
    // orientation of the strip's first triangle.
    solid->triangles.reserve(kSolidTriangleCount);
    auto add = [solid](int a, int b, int c) {
        if (a == b || b == c || a == c) return;  // collapsed onto a pole
        solid->triangles.push_back({{a, b, c}});
    };
    for (int s = 0; s < kMeshStripCount; ++s) {
        for (int i = 0; i < kMeshSlices; ++i) {
            const int rowS = WeldedIndex(i, s), rowNext = WeldedIndex(i, s + 1);
            const int nextS = WeldedIndex(i + 1, s), nextNext = WeldedIndex(i + 1, s + 1);
            add(rowS, rowNext, nextS);
            add(nextS, rowNext, nextNext);
        }
    }
    return SolidStatus::Ok;
}

void MirrorToRightHanded(SolidMesh& solid) {
    // The viewer draws the faces that are counter-clockwise on its screen
    // (it culls clockwise ones), so the strips' triangles are already
    // counter-clockwise seen from outside. A mirror turns left-handed
    // coordinates into right-handed ones and keeps that view of each
    // triangle, so the index order stays as it is.
    for (SolidVector& p : solid.positions) p.z = -p.z;
    for (SolidVector& n : solid.normals) n.z = -n.z;
}

SolidStatus FitSolid(SolidMesh& solid, double size) {
    const SolidBounds bounds = BoundsOf(solid);
    const double extent = LargestExtent(bounds);
    if (!(extent > 0.0)) return SolidStatus::NoExtent;
    const double scale = size / extent;
    const Vec3d centre{(bounds.min[0] + bounds.max[0]) / 2, (bounds.min[1] + bounds.max[1]) / 2,
                       (bounds.min[2] + bounds.max[2]) / 2};
    for (SolidVector& p : solid.positions) {
        const Vec3d q = Minus(ToDouble(p), centre);
        p = {static_cast<float>(q.x * scale), static_cast<float>(q.y * scale),
             static_cast<float>(q.z * scale)};
    }
    return SolidStatus::Ok;
}

void ComputeSolidNormals(SolidMesh& solid) {
    std::vector<Vec3d> sums(solid.positions.size(), Vec3d{0.0, 0.0, 0.0});
    for (const SolidTriangle& t : solid.triangles) {
        const Vec3d n = AreaNormal(solid, t);
        for (int k : t.v) sums[k] = {sums[k].x + n.x, sums[k].y + n.y, sums[k].z + n.z};
    }
    solid.normals.resize(solid.positions.size());
    for (std::size_t k = 0; k < sums.size(); ++k) {
        if (TryNormalise(sums[k], solid.normals[k])) continue;
        if (TryNormalise(ToDouble(solid.positions[k]), solid.normals[k])) continue;
        solid.normals[k] = {0.0f, 0.0f, 1.0f};
    }
}

SolidVector FaceNormal(const SolidMesh& solid, const SolidTriangle& t) {
    SolidVector n{0.0f, 0.0f, 0.0f};
    TryNormalise(AreaNormal(solid, t), n);
    return n;
}

double SignedVolume(const SolidMesh& solid) {
    // Sum of the tetrahedra from the origin to each triangle.
    double sixTimes = 0.0;
    for (const SolidTriangle& t : solid.triangles) {
        sixTimes +=
            Dot(ToDouble(solid.positions[t.v[0]]),
                Cross(ToDouble(solid.positions[t.v[1]]), ToDouble(solid.positions[t.v[2]])));
    }
    return sixTimes / 6.0;
}

SolidBounds BoundsOf(const SolidMesh& solid) {
    SolidBounds b{{0.0, 0.0, 0.0}, {0.0, 0.0, 0.0}};
    if (solid.positions.empty()) return b;
    const Vec3d first = ToDouble(solid.positions[0]);
    b = {{first.x, first.y, first.z}, {first.x, first.y, first.z}};
    for (const SolidVector& p : solid.positions) {
        const double c[3] = {p.x, p.y, p.z};
        for (int k = 0; k < 3; ++k) {
            b.min[k] = std::min(b.min[k], c[k]);
            b.max[k] = std::max(b.max[k], c[k]);
        }
    }
    return b;
}

double LargestExtent(const SolidBounds& bounds) {
    return std::max({bounds.max[0] - bounds.min[0], bounds.max[1] - bounds.min[1],
                     bounds.max[2] - bounds.min[2]});
}

SolidStatus BuildSolid(const CSuperShape& shape, double sizeMm, SolidMesh* solid) {
    std::vector<MeshVertex> grid(kMeshVertexCount);
    WriteMeshPositions(shape, grid.data());
    SolidStatus status = WeldMeshGrid(grid.data(), solid);
    if (status != SolidStatus::Ok) return status;
    MirrorToRightHanded(*solid);
    status = FitSolid(*solid, sizeMm);
    if (status == SolidStatus::Ok && !(SignedVolume(*solid) > 0.0)) status = SolidStatus::NoVolume;
    if (status != SolidStatus::Ok) {
        *solid = SolidMesh{};
        return status;
    }
    ComputeSolidNormals(*solid);
    return SolidStatus::Ok;
}

const char* SolidRefusal(SolidStatus status) {
    switch (status) {
        case SolidStatus::NotFinite:
            return "has no finite surface";
        case SolidStatus::NoExtent:
            return "is a single point";
        case SolidStatus::NoVolume:
            return "encloses no volume";
        case SolidStatus::Ok:
            break;
    }
    return "cannot be made a solid";
}
