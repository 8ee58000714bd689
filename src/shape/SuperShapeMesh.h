// The supershape's surface sampled on the fixed 64 x 64 grid, written into
// plain memory: positions, normals and the 63 index strips. CSuperShape
// writes these straight into its locked buffers; the benchmark and the tests
// call them on ordinary arrays.
#pragma once

#include "platform/WinTypes.h"
#include "shape/CSuperShape.h"

// Radius of one superformula curve (0: longitude, 1: latitude) at angle t,
// in double precision. No parameter is checked: zero, infinite and NaN
// results come out as IEEE arithmetic gives them.
double SuperformulaRadius(const CSuperShape& shape, int curve, double t);

// The grid angles, computed in double from single-precision pi. Slice i is
// at longitude theta_i, row j at latitude phi_j (row 0 the north pole).
double MeshTheta(int slice);
double MeshPhi(int row);

// Writes the positions of all kMeshVertexCount vertices (vertex 64*i + j is
// slice i, row j). Each curve's radius is evaluated once per slice or row
// and the angles' sines and cosines once, giving exactly the values that
// GetPoint gives for the same angles. Normals are not written.
void WriteMeshPositions(const CSuperShape& shape, MeshVertex* vertices);
// The same positions by one GetPoint call per vertex: the reference the
// fast path is checked and measured against.
void WriteMeshPositionsPointByPoint(const CSuperShape& shape, MeshVertex* vertices);

// Writes every vertex's normal from the positions already in `vertices`:
// (0, 0, 1) on row 0, (0, 0, -1) on row 63, elsewhere the normalised cross
// product of the steps to the next slice (slice 63 wraps to slice 0) and to
// the next row. Where that cross product is zero or not finite, the normal
// is the unit vector from the origin through the vertex, or (0, 0, 1) when
// that too is zero or not finite, so every normal is a finite unit vector.
void WriteMeshNormals(MeshVertex* vertices);

// Writes the kMeshIndexCount indices of the 63 latitude strips; nothing
// beyond them.
void WriteMeshIndices(WORD* indices);
