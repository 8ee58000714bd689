// The closer look's hold on its shape: dragging turns it like a ball in
// the hand, so that the point of the ball under the pointer follows the
// pointer, and the wheel magnifies it. The ball is drawn around the shape
// on the screen; positions are client pixels (y down). The rotation is in
// camera space (x right, y up, z away from the eye), for Direct3D's row
// vectors: v' = v * Rotation().
#pragma once

#include "platform/d3d9/d3dx9.h"

constexpr float kMinZoom = 0.5f;
constexpr float kMaxZoom = 4.0f;

class CArcball {
public:
    // The ball's centre and radius in pixels; a drag under way keeps the
    // ball it began on.
    void SetBall(float centreX, float centreY, float radius);

    // A drag: pressed at a point, moved to others, released. Only where the
    // pointer is now counts, not the way it took.
    void Press(float x, float y);
    void Move(float x, float y);
    void Release();
    bool Dragging() const { return dragging; }
    // Whether the shape has been taken hold of (pressed) since the last
    // Reset: until then it turns with the clock.
    bool Held() const { return held; }

    // Every finished drag and the one under way, the earliest first.
    D3DXMATRIX Rotation() const;
    // The world matrix of a shape that stood at `turn` when taken hold of,
    // seen through `view`: Rotation() applied in camera space about the
    // shape's centre (the world origin).
    D3DXMATRIX World(const D3DXMATRIX& turn, const D3DXMATRIX& view) const;

    // One wheel message's turn (WHEEL_DELTA a notch, positive away from the
    // user): four notches magnify twice as much, within kMinZoom..kMaxZoom.
    void Wheel(int delta);
    float Zoom() const { return zoom; }

    // No rotation, zoom 1, no drag.
    void Reset();

private:
    struct Quaternion {
        double w = 1.0, x = 0.0, y = 0.0, z = 0.0;
    };
    struct Vector {
        double x, y, z;
    };

    static Quaternion Product(const Quaternion& a, const Quaternion& b);
    Vector OnBall(float x, float y) const;
    Quaternion DragTurn() const;

    float centreX = 0.0f;
    float centreY = 0.0f;
    float radius = 1.0f;
    bool dragging = false;
    bool held = false;
    Vector pressed{0.0, 0.0, -1.0};
    Vector now{0.0, 0.0, -1.0};
    Quaternion done;  // the finished drags
    float zoom = 1.0f;
};
