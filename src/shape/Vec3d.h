// A double-precision 3-vector and the few operations the mesh code needs on
// it: the geometry is worked out in double and stored in float.
#pragma once

struct Vec3d {
    double x, y, z;
};

inline Vec3d Minus(const Vec3d& p, const Vec3d& q) { return {p.x - q.x, p.y - q.y, p.z - q.z}; }

inline Vec3d Cross(const Vec3d& a, const Vec3d& b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

inline double Dot(const Vec3d& a, const Vec3d& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
