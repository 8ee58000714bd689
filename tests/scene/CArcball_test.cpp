// The closer look's arcball: pointer paths give the turns that keep the
// ball's point under the pointer, drags compose in order, and the wheel's
// zoom stops at both ends.
#include "scene/CArcball.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "platform/Win32.h"

namespace {

void ExpectTurned(const CArcball& ball, const D3DXVECTOR3& in, const D3DXVECTOR3& out) {
    const D3DXMATRIX m = ball.Rotation();
    EXPECT_NEAR(in.x * m._11 + in.y * m._21 + in.z * m._31, out.x, 1e-5f);
    EXPECT_NEAR(in.x * m._12 + in.y * m._22 + in.z * m._32, out.y, 1e-5f);
    EXPECT_NEAR(in.x * m._13 + in.y * m._23 + in.z * m._33, out.z, 1e-5f);
}

struct DragCase {
    const char* what;
    std::vector<std::vector<POINT>> drags;  // each pressed at its first point, moved to the rest
    D3DXVECTOR3 in, out;  // a camera-space vector and where the turn puts it
};

// The ball: centre (100, 100), radius 50. Camera space has y up and the
// ball's near side at z < 0: the centre of its face is (0, 0, -1).
const float kSin60 = 0.8660254f;
const DragCase kDrags[] = {
    {"a press alone", {{{100, 100}}}, {1, 0, 0}, {1, 0, 0}},
    {"right by half the radius", {{{100, 100}, {125, 100}}}, {0, 0, -1}, {0.5f, 0, -kSin60}},
    {"down by half the radius", {{{100, 100}, {100, 125}}}, {0, 0, -1}, {0, -0.5f, -kSin60}},
    {"only the last point counts", {{{100, 100}, {150, 150}, {60, 20}, {125, 100}}}, {0, 0, -1},
     {0.5f, 0, -kSin60}},
    {"round the rim: about the line of sight", {{{200, 100}, {100, 0}}}, {1, 0, 0}, {0, 1, 0}},
    // -z to +x takes +x to +z; then -z to +y takes +z to -y.
    {"two drags in the order made", {{{100, 100}, {150, 100}}, {{100, 100}, {100, 50}}},
     {1, 0, 0}, {0, -1, 0}},
};

TEST(Arcball, ThePointUnderThePointerFollowsIt) {
    for (const DragCase& c : kDrags) {
        SCOPED_TRACE(c.what);
        CArcball ball;
        ball.SetBall(100, 100, 50);
        for (const std::vector<POINT>& drag : c.drags) {
            ball.Press(drag[0].x, drag[0].y);
            for (std::size_t k = 1; k < drag.size(); ++k) ball.Move(drag[k].x, drag[k].y);
            ball.Release();
        }
        ExpectTurned(ball, c.in, c.out);
    }
}

TEST(Arcball, WorldTurnsTheShapeAboutItsCentreAsTheCameraSeesIt) {
    CArcball ball;
    ball.SetBall(100, 100, 50);
    ball.Press(100, 100);
    ball.Move(125, 100);  // still held: the turn shows while dragging
    D3DXMATRIX turn, view, seen, shown, expected;
    D3DXMatrixRotationX(&turn, 0.7f);
    const D3DXVECTOR3 eye(1.8f, 2.6f, 3.8f), at(0, 0, 0), up(0, 1, 0);
    D3DXMatrixLookAtLH(&view, &eye, &at, &up);
    const D3DXMATRIX world = ball.World(turn, view);
    const D3DXMATRIX rotation = ball.Rotation();
    D3DXMatrixMultiply(&seen, &world, &view);
    // In camera space: the shape as it stood, turned about its centre,
    // which stays where the view put it.
    D3DXMatrixMultiply(&shown, &turn, &view);
    D3DXMatrixMultiply(&expected, &shown, &rotation);
    for (int k = 0; k < 3; ++k) expected(3, k) = shown(3, k);
    for (int i = 0; i < 16; ++i) EXPECT_NEAR(seen.Data()[i], expected.Data()[i], 1e-5f) << i;
}

TEST(Arcball, WheelZoomsFourNotchesAnOctaveWithinItsEnds) {
    const struct {
        std::vector<int> deltas;
        float zoom;
    } cases[] = {
        {{WHEEL_DELTA, WHEEL_DELTA, WHEEL_DELTA, WHEEL_DELTA}, 2.0f},
        {{WHEEL_DELTA / 2}, std::pow(2.0f, 0.125f)},  // a high-resolution wheel's half notch
        {std::vector<int>(9, WHEEL_DELTA), kMaxZoom},
        {std::vector<int>(5, -WHEEL_DELTA), kMinZoom},
        {{-50 * WHEEL_DELTA, 4 * WHEEL_DELTA}, 1.0f},  // back from the lower end at once
    };
    for (const auto& c : cases) {
        CArcball ball;
        for (const int delta : c.deltas) ball.Wheel(delta);
        EXPECT_NEAR(ball.Zoom(), c.zoom, 1e-5f) << c.deltas.size() << " messages";
    }
}

}  // namespace
