#include "platform/d3d9/d3dx9.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>

#include "support/RecordingFixture.h"

namespace {

void ExpectMatrixNear(const D3DXMATRIX& actual, const float* expected) {
    for (int i = 0; i < 16; ++i)
        EXPECT_NEAR(actual.Data()[i], expected[i], 2e-6f) << "element _" << i / 4 + 1 << i % 4 + 1;
}

}  // namespace

TEST(D3DXMatrices, BuildersGiveTheDocumentedLayouts) {
    const float pi = 3.14159265f;
    struct Case {
        const char* what;
        D3DXMATRIX matrix;
        float expected[16];
    };
    D3DXMATRIX m;
    const D3DXVECTOR3 eye(5, 0, 0), origin(0, 0, 0), up(0, 1, 0);
    const Case cases[] = {
        {"perspective 90 degrees, aspect 2, 1..11", *D3DXMatrixPerspectiveFovLH(&m, pi / 2, 2, 1, 11),
         {0.5f, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1.1f, 1, 0, 0, -1.1f, 0}},
        {"look from +x at the origin", *D3DXMatrixLookAtLH(&m, &eye, &origin, &up),
         {0, 0, -1, 0, 0, 1, 0, 0, 1, 0, 0, 0, 0, 0, 5, 1}},
        {"rotation x by 30 degrees", *D3DXMatrixRotationX(&m, pi / 6),
         {1, 0, 0, 0, 0, 0.8660254f, 0.5f, 0, 0, -0.5f, 0.8660254f, 0, 0, 0, 0, 1}},
        {"rotation z by 30 degrees", *D3DXMatrixRotationZ(&m, pi / 6),
         {0.8660254f, 0.5f, 0, 0, -0.5f, 0.8660254f, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ExpectMatrixNear(c.matrix, c.expected);
    }
}

TEST(D3DXMatrices, MultiplyAppliesTheFirstMatrixFirstAndMayAlias) {
    // A quarter turn about z, then a move by +x: only the last row moves.
    const float expected[16] = {0, 1, 0, 0, -1, 0, 0, 0, 0, 0, 1, 0, 1, 0, 0, 1};
    D3DXMATRIX rotation, move, out;
    D3DXMatrixRotationZ(&rotation, 3.14159265f / 2);
    D3DXMatrixIdentity(&move);
    move._41 = 1;
    D3DXMatrixMultiply(&out, &rotation, &move);
    ExpectMatrixNear(out, expected);
    out = rotation;
    D3DXMatrixMultiply(&out, &out, &move);
    ExpectMatrixNear(out, expected);
    out = move;
    D3DXMatrixMultiply(&out, &rotation, &out);
    ExpectMatrixNear(out, expected);
}

TEST(D3DXVectors, NormalizeGivesUnitLengthAndZeroForZero) {
    const D3DXVECTOR3 cases[][2] = {  // {in, expected}
        {{3, 4, 0}, {0.6f, 0.8f, 0}},
        {{0, 0, 0}, {0, 0, 0}},
        {{1e-30f, 0, 0}, {0, 0, 0}},  // the squared length underflows to zero
    };
    for (const auto& [in, expected] : cases) {
        D3DXVECTOR3 out(9, 9, 9);
        EXPECT_EQ(D3DXVec3Normalize(&out, &in), &out);
        for (int k = 0; k < 3; ++k) EXPECT_FLOAT_EQ((&out.x)[k], (&expected.x)[k]) << k;
    }
}

TEST(D3DXImages, ASurfaceSavedAsPngLoadsBackWithItsPixels) {
    CRecordingFixture rec(4, 4);
    const std::string path = ::testing::TempDir() + "d3dx-surface.png";
    // {format, the pixel written, the pixel read back}: X8R8G8B8 is saved
    // without alpha and loads opaque.
    const std::uint32_t cases[][3] = {{D3DFMT_A8R8G8B8, 0x80123456u, 0x80123456u},
                                      {D3DFMT_X8R8G8B8, 0x00ABCDEFu, 0xFFABCDEFu}};
    for (const auto& [format, written, read] : cases) {
        SCOPED_TRACE(format);
        IDirect3DSurface9* surface = nullptr;
        ASSERT_EQ(rec.device->CreateOffscreenPlainSurface(3, 2, static_cast<D3DFORMAT>(format),
                                                          D3DPOOL_SYSTEMMEM, &surface, nullptr),
                  D3D_OK);
        D3DLOCKED_RECT locked{};
        ASSERT_EQ(surface->LockRect(&locked, nullptr, 0), D3D_OK);
        // The pixel at (2, 1), the bottom right; the rest stay 0.
        std::memcpy(static_cast<std::uint8_t*>(locked.pBits) + locked.Pitch + 8, &written, 4);
        surface->UnlockRect();
        ID3DXBuffer* png = nullptr;
        ASSERT_EQ(D3DXSaveSurfaceToFileInMemory(&png, D3DXIFF_PNG, surface, nullptr, nullptr),
                  D3D_OK);
        surface->Release();
        std::ofstream(path, std::ios::binary)
            .write(static_cast<const char*>(png->GetBufferPointer()), png->GetBufferSize());
        png->Release();

        IDirect3DTexture9* texture = nullptr;
        ASSERT_EQ(D3DXCreateTextureFromFileA(rec.device, path.c_str(), &texture), D3D_OK);
        D3DSURFACE_DESC desc{};
        texture->GetLevelDesc(0, &desc);
        EXPECT_TRUE(desc.Width == 3 && desc.Height == 2);
        ASSERT_EQ(texture->LockRect(0, &locked, nullptr, D3DLOCK_READONLY), D3D_OK);
        std::uint32_t pixel = 0;
        std::memcpy(&pixel, static_cast<std::uint8_t*>(locked.pBits) + locked.Pitch + 8, 4);
        EXPECT_EQ(pixel, read);
        texture->UnlockRect(0);
        texture->Release();
    }
    std::remove(path.c_str());
}
