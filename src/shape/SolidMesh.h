// The viewer's 64 x 64 surface made into a printable solid: a closed,
// consistently oriented triangle mesh with outward normals, centred on the
// origin, scaled to a size in millimetres and mirrored into the right-handed
// space that mesh files use. Plain data and functions; no device, no files.
#pragma once

#include <vector>

#include "shape/CSuperShape.h"

// The welded grid: the north pole, rows 1..62 of every slice, the south pole.
constexpr int kSolidVertexCount = (kMeshRows - 2) * kMeshSlices + 2;  // 3970
// Every quad of the 63 bands gives two triangles, except that one of each
// pair at a pole collapses: 63 * 64 * 2 - 2 * 64.
constexpr int kSolidTriangleCount = 2 * (kMeshRows - 2) * kMeshSlices;  // 7936

constexpr double kDefaultSolidSizeMm = 50.0;

struct SolidVector {
    float x, y, z;
};

struct SolidTriangle {
    int v[3];  // indices into positions, counter-clockwise seen from outside
};

struct SolidMesh {
    std::vector<SolidVector> positions;
    std::vector<SolidVector> normals;  // one per position once computed
    std::vector<SolidTriangle> triangles;
};

struct SolidBounds {
    double min[3];
    double max[3];
};

enum class SolidStatus {
    Ok,
    NotFinite,  // some position of the surface is NaN or infinite
    NoExtent,   // the whole surface is one point
    NoVolume,   // the surface encloses nothing (it is flat, or a line)
};

// Welds each pole row of the 4096 grid positions (vertex 64 * i + j is slice
// i, row j, as WriteMeshPositions writes them) into one vertex at the mean of
// its 64 positions, and makes the triangles of the 63 bands, slice 63 joined
// to slice 0, dropping those that name a vertex twice. Positions stay in the
// viewer's space and the triangles keep the viewer's winding. Refuses a grid
// with any position that is not finite, leaving `solid` empty.
SolidStatus WeldMeshGrid(const MeshVertex* grid, SolidMesh* solid);

// From the viewer's left-handed space to the right-handed one of mesh files:
// z is negated, which keeps the shape as the viewer shows it.
void MirrorToRightHanded(SolidMesh& solid);

// Moves the centre of the bounding box to the origin and scales uniformly so
// that the largest extent is `size`. NoExtent (and nothing changed) when all
// positions coincide.
SolidStatus FitSolid(SolidMesh& solid, double size);

// Per-vertex normals: the sum of the incident triangles' normals weighted by
// their areas, normalised; where that sum vanishes, the direction from the
// origin, failing that +z. Every normal is a finite unit vector.
void ComputeSolidNormals(SolidMesh& solid);

// The unit normal of triangle `t` by the right-hand rule, or (0, 0, 0) for a
// triangle with no area.
SolidVector FaceNormal(const SolidMesh& solid, const SolidTriangle& t);

// The volume enclosed, positive when every triangle is counter-clockwise seen
// from outside (right-handed), computed in double from the stored positions.
double SignedVolume(const SolidMesh& solid);
SolidBounds BoundsOf(const SolidMesh& solid);
double LargestExtent(const SolidBounds& bounds);

// All of the above for a shape: its grid positions, welded, mirrored,
// fitted to `sizeMm` and given normals. A surface that encloses no volume is
// refused too: it would print as nothing, and a positive volume is the proof
// that the triangles face outwards. On refusal `solid` is left empty.
SolidStatus BuildSolid(const CSuperShape& shape, double sizeMm, SolidMesh* solid);

// Why a shape was refused, worded to follow "the shape ...": "has no finite
// surface", "is a single point", "encloses no volume".
const char* SolidRefusal(SolidStatus status);
