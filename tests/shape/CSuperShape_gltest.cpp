#include "shape/CSuperShape.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "gfx/CDXContext.h"
#include "platform/d3d9/d3dx9.h"
#include "shape/SuperShapeMesh.h"
#include "support/gl/CGLTestDevice.h"

namespace {

constexpr UINT kSize = 128;

struct Pixel {
    double x, y;
};

// Where Direct3D puts a world-space point: row vector times world, view
// and projection, divided by w, mapped onto the viewport (y down).
Pixel Project(const D3DXVECTOR3& p, const D3DXMATRIX& worldViewProjection) {
    const D3DXMATRIX& m = worldViewProjection;
    const double x = p.x * m(0, 0) + p.y * m(1, 0) + p.z * m(2, 0) + m(3, 0);
    const double y = p.x * m(0, 1) + p.y * m(1, 1) + p.z * m(2, 1) + m(3, 1);
    const double w = p.x * m(0, 3) + p.y * m(1, 3) + p.z * m(2, 3) + m(3, 3);
    return {(x / w + 1.0) * 0.5 * kSize, (1.0 - y / w) * 0.5 * kSize};
}

bool IsBlack(std::uint32_t argb) { return (argb & 0x00FFFFFFu) == 0; }

}  // namespace

TEST(CSuperShapeGL, DefaultShapeLandsWhereTheProjectionPutsIt) {
    CGLTestDevice gl(kSize, kSize);
    ASSERT_TRUE(gl.Ok()) << gl.Failure();
    IDirect3DDevice9* device = gl.Device();

    // Tilted and moved up and right, so that a flipped or misplaced image
    // would miss the expected box.
    D3DXMATRIX world, tilt, view, projection;
    D3DXMatrixRotationX(&tilt, 0.6f);
    world = tilt;
    world(3, 0) = 0.9f;
    world(3, 1) = 0.6f;
    const D3DXVECTOR3 eye(0, 0, -7), at(0, 0, 0), up(0, 1, 0);
    D3DXMatrixLookAtLH(&view, &eye, &at, &up);
    D3DXMatrixPerspectiveFovLH(&projection, 0.785398f, 1.0f, 1.0f, 100.0f);
    device->SetTransform(D3DTS_WORLD, &world);
    device->SetTransform(D3DTS_VIEW, &view);
    device->SetTransform(D3DTS_PROJECTION, &projection);

    D3DLIGHT9 light{};
    light.Type = D3DLIGHT_DIRECTIONAL;
    light.Diffuse = {1, 1, 1, 1};
    light.Specular = {1, 1, 1, 1};
    light.Direction = {0.3f, -0.4f, 1.0f};
    device->SetLight(0, &light);
    device->LightEnable(0, TRUE);
    // A grey ambient term keeps faces turned away from the light visible.
    device->SetRenderState(D3DRS_AMBIENT, 0xFF606060u);
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_CW);

    CDXContext context;
    context.device = device;  // borrowed from the test device
    {
        CSuperShape shape;
        shape.Create(&context);
        ASSERT_EQ(shape.BuildMesh(), D3D_OK);
        shape.material.Diffuse = shape.material.Ambient = {0.9f, 0.6f, 0.3f, 0.0f};
        shape.material.Specular = {1.8f, 1.2f, 0.6f, 0.0f};
        shape.material.Power = 50.0f;

        device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000u, 1.0f, 0);
        device->BeginScene();
        shape.Draw();
        device->EndScene();
    }
    context.device = nullptr;
    const CGLPicture picture = gl.ReadBackBuffer();
    ASSERT_EQ(picture.width, kSize);

    D3DXMATRIX worldView, worldViewProjection;
    D3DXMatrixMultiply(&worldView, &world, &view);
    D3DXMatrixMultiply(&worldViewProjection, &worldView, &projection);
    const CSuperShape reference;
    std::vector<MeshVertex> vertices(kMeshVertexCount);
    WriteMeshPositions(reference, vertices.data());
    double x0 = kSize, y0 = kSize, x1 = 0, y1 = 0;
    for (const MeshVertex& v : vertices) {
        const Pixel p = Project({v.px, v.py, v.pz}, worldViewProjection);
        x0 = std::min(x0, p.x);
        y0 = std::min(y0, p.y);
        x1 = std::max(x1, p.x);
        y1 = std::max(y1, p.y);
    }
    ASSERT_GT(x0, 2.0);
    ASSERT_LT(x1, kSize - 2.0);
    ASSERT_GT(y0, 2.0);
    ASSERT_LT(y1, kSize - 2.0);

    const Pixel centre = Project({0, 0, 0}, worldViewProjection);
    EXPECT_FALSE(IsBlack(picture.At(static_cast<UINT>(centre.x), static_cast<UINT>(centre.y))));
    int inside = 0, lit = 0;
    for (UINT y = 0; y < kSize; ++y) {
        for (UINT x = 0; x < kSize; ++x) {
            const double cx = x + 0.5, cy = y + 0.5;
            const bool inBox = cx >= x0 && cx <= x1 && cy >= y0 && cy <= y1;
            const bool wellOutside = cx < x0 - 2 || cx > x1 + 2 || cy < y0 - 2 || cy > y1 + 2;
            if (wellOutside) {
                ASSERT_TRUE(IsBlack(picture.At(x, y))) << "stray pixel at " << x << "," << y;
            }
            if (inBox) {
                ++inside;
                lit += !IsBlack(picture.At(x, y));
            }
        }
    }
    // The outline of a rounded star fills most of its bounding box.
    EXPECT_GT(lit, inside / 2) << "of " << inside;
}
