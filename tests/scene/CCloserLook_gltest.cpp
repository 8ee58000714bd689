// The closer look on the OpenGL backend: the lit shape and its glow fill
// the centred square and nothing outside it, whatever the back buffer held.
#include "scene/CCloserLook.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "gfx/CDXContext.h"
#include "scene/ShapePasses.h"
#include "support/gl/CGLTestDevice.h"

TEST(CloserLookGL, TheShapeLightsItsCentredSquareOnly) {
    const UINT width = 160;
    const UINT height = 100;
    CGLTestDevice gl(width, height);
    ASSERT_TRUE(gl.Ok()) << gl.Failure();
    CDXContext context;  // lends the test device's
    context.device = gl.Device();
    context.device->AddRef();
    context.presentParams = CGLTestDevice::DefaultParams(width, height);
    IDirect3DDevice9* d = context.device;
    D3DLIGHT9 light;
    SetShapeLight(d, &light);
    CSuperShape shape;
    shape.Create(&context);
    shape.material.Diffuse = shape.material.Ambient = {0.8f, 0.6f, 0.4f, 1.0f};
    ASSERT_EQ(shape.BuildMesh(), D3D_OK);
    CCloserLook look;
    ASSERT_EQ(look.Fit(&context, width, height), 0);

    // The grid's pixels, green here, must not show around the square.
    d->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF00FF00u, 1.0f, 0);
    D3DXMATRIX world;
    D3DXMatrixIdentity(&world);
    d->BeginScene();
    look.Render(shape, world, 1.0f);
    d->EndScene();
    const CGLPicture p = gl.ReadBackBuffer();
    UINT left = width, right = 0, top = height, bottom = 0;
    for (UINT y = 0; y < height; ++y) {
        for (UINT x = 0; x < width; ++x) {
            if (p.At(x, y) == 0xFF000000u) continue;
            left = std::min(left, x);
            right = std::max(right, x);
            top = std::min(top, y);
            bottom = std::max(bottom, y);
        }
    }
    // The square is x 30..129; the shape with its glow spans most of it.
    EXPECT_GE(left, 30u);
    EXPECT_LE(right, 129u);
    EXPECT_GT(right - left, 60u);
    EXPECT_GT(bottom - top, 60u);
}
