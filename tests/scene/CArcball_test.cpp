// The closer look's arcball: pointer paths give the turns that keep the
// ball's point under the pointer, drags compose in order, and the wheel's
// zoom stops at both ends.
#include "scene/CArcball.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "platform/Win32.h"

namespace {

struct Point {
    float x, y;
};
struct Vec {
    float x, y, z;
};

Vec Apply(const Vec& v, const D3DXMATRIX& m) {
    return {v.x * m._11 + v.y * m._21 + v.z * m._31, v.x * m._12 + v.y * m._22 + v.z * m._32,
            v.x * m._13 + v.y * m._23 + v.z * m._33};
}

void ExpectNear(const Vec& actual, const Vec& expected) {
    EXPECT_NEAR(actual.x, expected.x, 1e-5f);
    EXPECT_NEAR(actual.y, expected.y, 1e-5f);
    EXPECT_NEAR(actual.z, expected.z, 1e-5f);
}

struct DragCase {
    const char* what;
    std::vector<std::vector<Point>> drags;  // each: pressed at the first point, moved to the rest
    Vec in, out;                            // a camera-space vector and where the turn puts it
};

// The ball: centre (100, 100), radius 50. Camera space has y up and the
// ball's near side at z < 0, so the centre of the ball's face is (0, 0, -1).
const float kSin60 = 0.8660254f;
const DragCase kDrags[] = {
    {"a press alone does not turn", {{{100, 100}}}, {1, 0, 0}, {1, 0, 0}},
    {"right by half the radius: 30 degrees", {{{100, 100}, {125, 100}}}, {0, 0, -1},
     {0.5f, 0, -kSin60}},
    {"down by half the radius", {{{100, 100}, {100, 125}}}, {0, 0, -1}, {0, -0.5f, -kSin60}},
    {"only the last point counts", {{{100, 100}, {150, 150}, {60, 20}, {125, 100}}}, {0, 0, -1},
     {0.5f, 0, -kSin60}},
    {"round the rim: a quarter turn about the line of sight", {{{200, 100}, {100, 0}}},
     {1, 0, 0}, {0, 1, 0}},
    {"round the rim keeps the line of sight", {{{200, 100}, {100, 0}}}, {0, 0, 1}, {0, 0, 1}},
    // -z to +x takes +x to +z; then -z to +y takes +z to -y.
    {"two drags turn in the order made", {{{100, 100}, {150, 100}}, {{100, 100}, {100, 50}}},
     {1, 0, 0}, {0, -1, 0}},
};

TEST(Arcball, ThePointUnderThePointerFollowsIt) {
    for (const DragCase& c : kDrags) {
        SCOPED_TRACE(c.what);
        CArcball ball;
        ball.SetBall(100, 100, 50);
        for (const std::vector<Point>& drag : c.drags) {
            ball.Press(drag[0].x, drag[0].y);
            for (std::size_t k = 1; k < drag.size(); ++k) ball.Move(drag[k].x, drag[k].y);
            // The turn shows while dragging and stays after the release.
            if (&drag == &c.drags.back()) ExpectNear(Apply(c.in, ball.Rotation()), c.out);
            ball.Release();
        }
        ExpectNear(Apply(c.in, ball.Rotation()), c.out);
        EXPECT_TRUE(ball.Held());
    }
}

TEST(Arcball, WorldTurnsTheShapeAboutItsCentreAsTheCameraSeesIt) {
    CArcball ball;
    ball.SetBall(100, 100, 50);
    ball.Press(100, 100);
    ball.Move(125, 100);
    D3DXMATRIX turn, view;
    D3DXMatrixRotationX(&turn, 0.7f);
    const D3DXVECTOR3 eye(1.8f, 2.6f, 3.8f), at(0, 0, 0), up(0, 1, 0);
    D3DXMatrixLookAtLH(&view, &eye, &at, &up);
    D3DXMATRIX world = ball.World(turn, view);
    D3DXMATRIX seen, expected, shown;
    D3DXMatrixMultiply(&seen, &world, &view);
    D3DXMatrixMultiply(&shown, &turn, &view);
    // Camera space: the shape as it stood, turned about its centre (the
    // view's translation row stays where it was).
    const D3DXMATRIX rotation = ball.Rotation();
    D3DXMatrixMultiply(&expected, &shown, &rotation);
    for (int k = 0; k < 3; ++k) expected(3, k) = shown(3, k);
    for (int i = 0; i < 16; ++i) EXPECT_NEAR(seen.Data()[i], expected.Data()[i], 1e-5f) << i;
}

TEST(Arcball, WheelZoomsFourNotchesAnOctaveWithinItsEnds) {
    const struct {
        std::vector<int> deltas;
        float zoom;
    } cases[] = {
        {{}, 1.0f},
        {{WHEEL_DELTA, WHEEL_DELTA, WHEEL_DELTA, WHEEL_DELTA}, 2.0f},
        {{2 * WHEEL_DELTA}, std::sqrt(2.0f)},
        {{WHEEL_DELTA / 2}, std::pow(2.0f, 0.125f)},  // a high-resolution wheel's half notch
        {std::vector<int>(9, WHEEL_DELTA), kMaxZoom},
        {std::vector<int>(5, -WHEEL_DELTA), kMinZoom},
        {{-50 * WHEEL_DELTA, WHEEL_DELTA * 4}, 1.0f},  // back from the lower end at once
    };
    for (const auto& c : cases) {
        CArcball ball;
        for (const int delta : c.deltas) ball.Wheel(delta);
        EXPECT_NEAR(ball.Zoom(), c.zoom, 1e-5f) << c.deltas.size() << " messages";
    }
}

}  // namespace
