#include "shape/SuperShapeMesh.h"

#include <cmath>
#include <limits>

#include "shape/Vec3d.h"

namespace {

// Single-precision pi, widened: the grid is laid out with it, so the pole
// rows sit a hair off the z axis (cos(pi_f / 2) is about -4.37e-8).
constexpr double kPiF = static_cast<double>(3.14159265358979323846f);

constexpr float kFloatMin = std::numeric_limits<float>::min();
constexpr float kFloatMax = std::numeric_limits<float>::max();

Vec3d Position(const MeshVertex& v) { return {v.px, v.py, v.pz}; }

// Normalises `v` into `out`; false when v has zero length or is not finite.
bool TryNormalise(const Vec3d& v, MeshVertex& out) {
    const double length = std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
    if (!(length > 0.0) || !std::isfinite(length)) return false;
    out.nx = static_cast<float>(v.x / length);
    out.ny = static_cast<float>(v.y / length);
    out.nz = static_cast<float>(v.z / length);
    return true;
}

void SetNormal(MeshVertex& v, float nx, float ny, float nz) {
    v.nx = nx;
    v.ny = ny;
    v.nz = nz;
}

}  // namespace

double SuperformulaRadius(const CSuperShape& shape, int curve, double t) {
    const double u = (shape.m(curve) * t) * 0.25;
    const double A = std::pow(std::fabs(std::cos(u) / shape.a(curve)), shape.n2(curve));
    const double B = std::pow(std::fabs(std::sin(u) / shape.b(curve)), shape.n3(curve));
    const double e = -1.0 / shape.n1(curve);
    return std::pow(A + B, e);
}

double MeshTheta(int slice) { return kPiF - ((slice * 0.015625) * 2) * kPiF; }

double MeshPhi(int row) { return kPiF / 2 - (row / 63.0) * kPiF; }

void WriteMeshPositions(const CSuperShape& shape, MeshVertex* vertices) {
    // Per row: r1 and cos phi, and z, which is the same on every slice.
    double rowRadius[kMeshRows];
    double rowCos[kMeshRows];
    float rowZ[kMeshRows];
    for (int j = 0; j < kMeshRows; ++j) {
        const double phi = MeshPhi(j);
        rowRadius[j] = SuperformulaRadius(shape, 1, phi);
        rowCos[j] = std::cos(phi);
        rowZ[j] = static_cast<float>(std::sin(phi) * rowRadius[j]);
    }
    for (int i = 0; i < kMeshSlices; ++i) {
        const double theta = MeshTheta(i);
        const double r0 = SuperformulaRadius(shape, 0, theta);
        // The same products, in the same order, as GetPoint:
        // x = ((r0 cos theta) r1) cos phi, y = ((r0 sin theta) r1) cos phi.
        const double sliceX = r0 * std::cos(theta);
        const double sliceY = r0 * std::sin(theta);
        MeshVertex* slice = vertices + kMeshRows * i;
        for (int j = 0; j < kMeshRows; ++j) {
            slice[j].px = static_cast<float>((sliceX * rowRadius[j]) * rowCos[j]);
            slice[j].py = static_cast<float>((sliceY * rowRadius[j]) * rowCos[j]);
            slice[j].pz = rowZ[j];
        }
    }
}

void WriteMeshPositionsPointByPoint(const CSuperShape& shape, MeshVertex* vertices) {
    for (int i = 0; i < kMeshSlices; ++i) {
        for (int j = 0; j < kMeshRows; ++j) {
            const D3DXVECTOR3 p = shape.GetPoint(MeshTheta(i), MeshPhi(j));
            MeshVertex& v = vertices[kMeshRows * i + j];
            v.px = p.x;
            v.py = p.y;
            v.pz = p.z;
        }
    }
}

void WriteMeshNormals(MeshVertex* vertices) {
    // Each slice's positions are copied into separate coordinate arrays, so
    // that the cross products and their lengths run as vector code.
    struct Columns {
        float x[kMeshRows], y[kMeshRows], z[kMeshRows];
    };
    auto load = [vertices](int slice, Columns& out) {
        const MeshVertex* v = vertices + kMeshRows * slice;
        for (int j = 0; j < kMeshRows; ++j) {
            out.x[j] = v[j].px;
            out.y[j] = v[j].py;
            out.z[j] = v[j].pz;
        }
    };
    Columns columns[2];
    load(0, columns[0]);
    for (int i = 0; i < kMeshSlices; ++i) {
        const Columns& cur = columns[i % 2];
        Columns& next = columns[(i + 1) % 2];
        load((i + 1) % kMeshSlices, next);  // slice 63 steps to slice 0

        // d1 to the same row of the next slice, d2 to the next row of this
        // slice, n = d1 x d2 / |d1 x d2|, in single precision.
        float nx[kMeshRows], ny[kMeshRows], nz[kMeshRows], lengthSquared[kMeshRows];
        for (int j = 1; j < kMeshRows - 1; ++j) {
            const float d1x = next.x[j] - cur.x[j], d1y = next.y[j] - cur.y[j],
                        d1z = next.z[j] - cur.z[j];
            const float d2x = cur.x[j + 1] - cur.x[j], d2y = cur.y[j + 1] - cur.y[j],
                        d2z = cur.z[j + 1] - cur.z[j];
            const float cx = d1y * d2z - d1z * d2y;
            const float cy = d1z * d2x - d1x * d2z;
            const float cz = d1x * d2y - d1y * d2x;
            lengthSquared[j] = cx * cx + cy * cy + cz * cz;
            const float scale = 1.0f / std::sqrt(lengthSquared[j]);
            nx[j] = cx * scale;
            ny[j] = cy * scale;
            nz[j] = cz * scale;
        }

        MeshVertex* slice = vertices + kMeshRows * i;
        const MeshVertex* after = vertices + kMeshRows * ((i + 1) % kMeshSlices);
        SetNormal(slice[0], 0.0f, 0.0f, 1.0f);
        SetNormal(slice[kMeshRows - 1], 0.0f, 0.0f, -1.0f);
        for (int j = 1; j < kMeshRows - 1; ++j) {
            MeshVertex& v = slice[j];
            if (lengthSquared[j] >= kFloatMin && lengthSquared[j] <= kFloatMax) {
                SetNormal(v, nx[j], ny[j], nz[j]);
                continue;
            }
            // Zero, subnormal, overflowing or NaN in single precision: again
            // in double, where neither the squares of large differences
            // overflow nor those of tiny ones vanish; failing that, the
            // direction from the origin; failing that, up.
            const Vec3d p = Position(v);
            const Vec3d d1 = Minus(Position(after[j]), p);
            const Vec3d d2 = Minus(Position(slice[j + 1]), p);
            if (TryNormalise(Cross(d1, d2), v)) continue;
            if (TryNormalise(p, v)) continue;
            SetNormal(v, 0.0f, 0.0f, 1.0f);
        }
    }
}

void WriteMeshIndices(WORD* indices) {
    for (int s = 0; s < kMeshStripCount; ++s) {
        WORD* strip = indices + kMeshStripIndices * s;
        // 65 pairs: once round all 64 slices and back to slice 0 to close
        // the band. Row s before row s + 1 sets the winding.
        for (int k = 0; k <= kMeshSlices; ++k) {
            const int first = kMeshRows * (k % kMeshSlices) + s;
            strip[2 * k] = static_cast<WORD>(first);
            strip[2 * k + 1] = static_cast<WORD>(first + 1);
        }
    }
}
