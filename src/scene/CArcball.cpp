#include "scene/CArcball.h"

#include <algorithm>
#include <cmath>

#include "platform/Win32.h"

namespace {

constexpr double kNotchesPerDoubling = 4.0;

}  // namespace

void CArcball::SetBall(float x, float y, float r) {
    if (dragging) return;
    centreX = x;
    centreY = y;
    radius = std::max(r, 1.0f);
}

// The point of the ball's visible half under (x, y): the ball faces the
// eye, so its near half has negative z. Past the rim, the nearest point of
// the rim.
CArcball::Vector CArcball::OnBall(float x, float y) const {
    const double u = (static_cast<double>(x) - centreX) / radius;
    const double v = (centreY - static_cast<double>(y)) / radius;  // y up
    const double d2 = u * u + v * v;
    if (d2 <= 1.0) return {u, v, -std::sqrt(1.0 - d2)};
    const double d = std::sqrt(d2);
    return {u / d, v / d, 0.0};
}

void CArcball::Press(float x, float y) {
    dragging = true;
    held = true;
    pressed = OnBall(x, y);
    now = pressed;
}

void CArcball::Move(float x, float y) {
    if (!dragging) return;
    now = OnBall(x, y);
}

void CArcball::Release() {
    if (!dragging) return;
    done = Product(DragTurn(), done);
    dragging = false;
}

// a * b, normalised: b's turn first, then a's. Renormalising keeps many
// drags from drifting off a pure rotation.
CArcball::Quaternion CArcball::Product(const Quaternion& a, const Quaternion& b) {
    const Quaternion p{a.w * b.w - a.x * b.x - a.y * b.y - a.z * b.z,
                       a.w * b.x + a.x * b.w + a.y * b.z - a.z * b.y,
                       a.w * b.y - a.x * b.z + a.y * b.w + a.z * b.x,
                       a.w * b.z + a.x * b.y - a.y * b.x + a.z * b.w};
    const double length = std::sqrt(p.w * p.w + p.x * p.x + p.y * p.y + p.z * p.z);
    return {p.w / length, p.x / length, p.y / length, p.z / length};
}

// The shortest turn that takes the pressed point to the point now under
// the pointer: about their cross product, by the angle between them. As
// unit quaternion, (cos a/2, axis sin a/2) = normalise(1 + p.q, p x q).
CArcball::Quaternion CArcball::DragTurn() const {
    if (!dragging) return {};
    const Vector& p = pressed;
    const Vector& q = now;
    Quaternion turn{1.0 + p.x * q.x + p.y * q.y + p.z * q.z, p.y * q.z - p.z * q.y,
                    p.z * q.x - p.x * q.z, p.x * q.y - p.y * q.x};
    const double length = std::sqrt(turn.w * turn.w + turn.x * turn.x + turn.y * turn.y +
                                    turn.z * turn.z);
    // Opposite points (only rim points can be) give no single axis: no turn.
    if (length < 1e-12) return {};
    return {turn.w / length, turn.x / length, turn.y / length, turn.z / length};
}

D3DXMATRIX CArcball::Rotation() const {
    const Quaternion r = Product(DragTurn(), done);
    // The rotation matrix for column vectors, transposed for row vectors.
    const double xx = r.x * r.x, yy = r.y * r.y, zz = r.z * r.z;
    const double xy = r.x * r.y, xz = r.x * r.z, yz = r.y * r.z;
    const double wx = r.w * r.x, wy = r.w * r.y, wz = r.w * r.z;
    D3DXMATRIX m;
    D3DXMatrixIdentity(&m);
    m._11 = static_cast<float>(1 - 2 * (yy + zz));
    m._21 = static_cast<float>(2 * (xy - wz));
    m._31 = static_cast<float>(2 * (xz + wy));
    m._12 = static_cast<float>(2 * (xy + wz));
    m._22 = static_cast<float>(1 - 2 * (xx + zz));
    m._32 = static_cast<float>(2 * (yz - wx));
    m._13 = static_cast<float>(2 * (xz - wy));
    m._23 = static_cast<float>(2 * (yz + wx));
    m._33 = static_cast<float>(1 - 2 * (xx + yy));
    return m;
}

D3DXMATRIX CArcball::World(const D3DXMATRIX& turn, const D3DXMATRIX& view) const {
    // v * turn * V * R * V^T * view: into camera axes (V, the view's
    // rotation), turned, and back (V's inverse is its transpose), so that
    // the view then shows the turned shape where it stood.
    D3DXMATRIX axes;
    D3DXMatrixIdentity(&axes);
    D3DXMATRIX back;
    D3DXMatrixIdentity(&back);
    for (int row = 0; row < 3; ++row) {
        for (int col = 0; col < 3; ++col) {
            axes(row, col) = view(row, col);
            back(col, row) = view(row, col);
        }
    }
    const D3DXMATRIX rotation = Rotation();
    D3DXMATRIX world;
    D3DXMatrixMultiply(&world, &turn, &axes);
    D3DXMatrixMultiply(&world, &world, &rotation);
    D3DXMatrixMultiply(&world, &world, &back);
    return world;
}

void CArcball::Wheel(int delta) {
    const double notches = static_cast<double>(delta) / WHEEL_DELTA;
    const double next = zoom * std::exp2(notches / kNotchesPerDoubling);
    zoom = static_cast<float>(std::clamp(next, double{kMinZoom}, double{kMaxZoom}));
}

void CArcball::Reset() {
    dragging = false;
    held = false;
    done = {};
    pressed = now = {0.0, 0.0, -1.0};
    zoom = 1.0f;
}
