#include "shape/CSuperShape.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "gfx/CDXContext.h"
#include "platform/d3d9/d3dx9.h"
#include "shape/SuperShapeMesh.h"
#include "support/gl/CGLTestDevice.h"

TEST(CSuperShapeGL, DefaultShapeLandsWhereTheProjectionPutsIt) {
    constexpr UINT kSize = 128;
    CGLTestDevice gl(kSize, kSize);
    ASSERT_TRUE(gl.Ok()) << gl.Failure();
    IDirect3DDevice9* device = gl.Device();

    // Tilted and moved up and right: a flipped or misplaced image misses.
    D3DXMATRIX world, view, projection, worldView, all;
    D3DXMatrixRotationX(&world, 0.6f);
    world(3, 0) = 0.9f;
    world(3, 1) = 0.6f;
    const D3DXVECTOR3 eye(0, 0, -7), at(0, 0, 0), up(0, 1, 0);
    D3DXMatrixLookAtLH(&view, &eye, &at, &up);
    D3DXMatrixPerspectiveFovLH(&projection, 0.785398f, 1.0f, 1.0f, 100.0f);
    device->SetTransform(D3DTS_WORLD, &world);
    device->SetTransform(D3DTS_VIEW, &view);
    device->SetTransform(D3DTS_PROJECTION, &projection);
    // No light: every face shows the ambient level, whichever way it faces.
    device->SetRenderState(D3DRS_AMBIENT, 0xFF808080u);
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_CW);

    CDXContext context;
    context.device = device;  // borrowed
    {
        CSuperShape shape;
        shape.Create(&context);
        ASSERT_EQ(shape.BuildMesh(), D3D_OK);
        shape.material.Ambient = {0.9f, 0.6f, 0.3f, 0.0f};
        device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000u, 1.0f, 0);
        device->BeginScene();
        shape.Draw();
        device->EndScene();
    }
    context.device = nullptr;
    const CGLPicture picture = gl.ReadBackBuffer();

    // The box that the projected vertices span, in pixels (y down).
    D3DXMatrixMultiply(&worldView, &world, &view);
    D3DXMatrixMultiply(&all, &worldView, &projection);
    auto project = [&all](float x, float y, float z, double* px, double* py) {
        const double w = x * all(0, 3) + y * all(1, 3) + z * all(2, 3) + all(3, 3);
        *px = ((x * all(0, 0) + y * all(1, 0) + z * all(2, 0) + all(3, 0)) / w + 1) * kSize / 2;
        *py = (1 - (x * all(0, 1) + y * all(1, 1) + z * all(2, 1) + all(3, 1)) / w) * kSize / 2;
    };
    std::vector<MeshVertex> vertices(kMeshVertexCount);
    WriteMeshPositions(CSuperShape(), vertices.data());
    double x0 = kSize, y0 = kSize, x1 = 0, y1 = 0, px, py;
    for (const MeshVertex& v : vertices) {
        project(v.px, v.py, v.pz, &px, &py);
        x0 = std::min(x0, px), x1 = std::max(x1, px), y0 = std::min(y0, py), y1 = std::max(y1, py);
    }
    ASSERT_TRUE(x0 > 2 && y0 > 2 && x1 < kSize - 2 && y1 < kSize - 2);
    project(0, 0, 0, &px, &py);
    auto lit = [&picture](UINT x, UINT y) { return (picture.At(x, y) & 0xFFFFFFu) != 0; };
    EXPECT_TRUE(lit(static_cast<UINT>(px), static_cast<UINT>(py)));  // the shape's centre
    int inBox = 0, litInBox = 0;
    for (UINT y = 0; y < kSize; ++y) {
        for (UINT x = 0; x < kSize; ++x) {
            const double cx = x + 0.5, cy = y + 0.5;
            if (cx < x0 - 2 || cx > x1 + 2 || cy < y0 - 2 || cy > y1 + 2) {
                ASSERT_FALSE(lit(x, y)) << "stray pixel at " << x << "," << y;
            } else if (cx >= x0 && cx <= x1 && cy >= y0 && cy <= y1) {
                ++inBox;
                litInBox += lit(x, y);
            }
        }
    }
    EXPECT_GT(litInBox, inBox / 2) << "of " << inBox;  // a rounded star fills most of its box
}
