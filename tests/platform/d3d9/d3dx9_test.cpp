#include "platform/d3d9/d3dx9.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>

#include "support/RecordingFixture.h"

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#define STB_IMAGE_WRITE_STATIC
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb/stb_image_write.h>
#pragma GCC diagnostic pop

namespace {

struct Row4 {
    float v[4];
};

// v' = v * M for a row vector (x, y, z, 1).
Row4 Transform(const D3DXMATRIX& m, float x, float y, float z) {
    const float in[4] = {x, y, z, 1.0f};
    Row4 out{};
    for (int col = 0; col < 4; ++col) {
        for (int k = 0; k < 4; ++k) out.v[col] += in[k] * m(k, col);
    }
    return out;
}

void ExpectMatrixNear(const D3DXMATRIX& actual, const float* expected, float tolerance) {
    for (int i = 0; i < 16; ++i) {
        EXPECT_NEAR(actual.Data()[i], expected[i], tolerance) << "element _" << (i / 4 + 1)
                                                              << (i % 4 + 1);
    }
}

D3DXMATRIX Translation(float x, float y, float z) {
    D3DXMATRIX m;
    D3DXMatrixIdentity(&m);
    m._41 = x;
    m._42 = y;
    m._43 = z;
    return m;
}

// A directory of its own under the system's temporary directory, removed at
// the end.
class CTempDir {
public:
    explicit CTempDir(const std::string& name)
        : path(std::filesystem::temp_directory_path() /
               (name + "-" + std::to_string(::getpid()))) {
        std::filesystem::create_directories(path);
    }
    ~CTempDir() {
        std::error_code ignored;
        std::filesystem::remove_all(path, ignored);
    }
    std::filesystem::path path;
};

class D3DXTextureTest : public RecordingTest {};

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
        {"perspective of the scene", *D3DXMatrixPerspectiveFovLH(&m, 0.7853982f, 1, 0.001f, 300),
         {2.4142137f, 0, 0, 0, 0, 2.4142137f, 0, 0, 0, 0, 1.0000033f, 1, 0, 0, -0.0010000033f, 0}},
        {"look from +x at the origin", *D3DXMatrixLookAtLH(&m, &eye, &origin, &up),
         {0, 0, -1, 0, 0, 1, 0, 0, 1, 0, 0, 0, 0, 0, 5, 1}},
        {"rotation x by 30 degrees", *D3DXMatrixRotationX(&m, pi / 6),
         {1, 0, 0, 0, 0, 0.8660254f, 0.5f, 0, 0, -0.5f, 0.8660254f, 0, 0, 0, 0, 1}},
        {"rotation z by 30 degrees", *D3DXMatrixRotationZ(&m, pi / 6),
         {0.8660254f, 0.5f, 0, 0, -0.5f, 0.8660254f, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ExpectMatrixNear(c.matrix, c.expected, 2e-6f);
    }
}

TEST(D3DXMatrices, MultiplyAppliesTheFirstMatrixFirst) {
    const float halfTurn = 3.14159265f / 2;
    D3DXMATRIX rotation, move, product;
    D3DXMatrixRotationZ(&rotation, halfTurn);
    move = Translation(1, 0, 0);

    // Rotate (1, 0, 0) to (0, 1, 0), then move it by +x.
    D3DXMatrixMultiply(&product, &rotation, &move);
    const Row4 p = Transform(product, 1, 0, 0);
    EXPECT_NEAR(p.v[0], 1.0f, 1e-6f);
    EXPECT_NEAR(p.v[1], 1.0f, 1e-6f);
}

TEST(D3DXVectors, NormalizeGivesUnitLengthAndZeroForZero) {
    struct Case {
        D3DXVECTOR3 in, expected;
    };
    const Case cases[] = {
        {{3, 4, 0}, {0.6f, 0.8f, 0}},
        {{0, 0, -2}, {0, 0, -1}},
        {{0, 0, 0}, {0, 0, 0}},
        {{1e-30f, 0, 0}, {0, 0, 0}},  // the squared length underflows to zero
    };
    for (const Case& c : cases) {
        D3DXVECTOR3 out(9, 9, 9);
        EXPECT_EQ(D3DXVec3Normalize(&out, &c.in), &out);
        EXPECT_FLOAT_EQ(out.x, c.expected.x);
        EXPECT_FLOAT_EQ(out.y, c.expected.y);
        EXPECT_FLOAT_EQ(out.z, c.expected.z);
    }
}

TEST_F(D3DXTextureTest, TextureFromFileHoldsThePixelsAsArgb) {
    CTempDir dir("tessary-d3dx");
    const std::string path = (dir.path / "picture.png").string();
    // Three by two RGBA pixels.
    const std::uint8_t rgba[2][3][4] = {
        {{0x11, 0x22, 0x33, 0x44}, {0xFF, 0, 0, 0xFF}, {0, 0xFF, 0, 0x80}},
        {{0, 0, 0xFF, 0xFF}, {0xFF, 0xFF, 0xFF, 0}, {1, 2, 3, 4}}};
    ASSERT_NE(stbi_write_png(path.c_str(), 3, 2, 4, rgba, 12), 0);

    IDirect3DTexture9* texture = nullptr;
    ASSERT_EQ(D3DXCreateTextureFromFileA(rec.device, path.c_str(), &texture), D3D_OK);
    ASSERT_NE(texture, nullptr);
    D3DSURFACE_DESC desc{};
    texture->GetLevelDesc(0, &desc);
    EXPECT_EQ(desc.Width, 3u);
    EXPECT_EQ(desc.Pool, D3DPOOL_MANAGED);

    D3DLOCKED_RECT locked{};
    ASSERT_EQ(texture->LockRect(0, &locked, nullptr, D3DLOCK_READONLY), D3D_OK);
    const std::uint32_t expected[2][3] = {{0x44112233u, 0xFFFF0000u, 0x8000FF00u},
                                          {0xFF0000FFu, 0x00FFFFFFu, 0x04010203u}};
    for (int y = 0; y < 2; ++y) {
        const auto* row = reinterpret_cast<const std::uint32_t*>(
            static_cast<const std::uint8_t*>(locked.pBits) + y * locked.Pitch);
        for (int x = 0; x < 3; ++x) EXPECT_EQ(row[x], expected[y][x]) << x << "," << y;
    }
    texture->UnlockRect(0);
    texture->Release();
    EXPECT_EQ(rec.journal->LiveObjects(), rec.liveAfterSetUp);
}

TEST_F(D3DXTextureTest, TextureFromFileFailsCleanly) {
    CTempDir dir("tessary-d3dx-bad");
    const std::string notAnImage = (dir.path / "notes.png").string();
    std::ofstream(notAnImage) << "not a picture";
    const std::string picture = (dir.path / "tiny.png").string();
    const std::uint8_t pixel[4] = {1, 2, 3, 4};
    ASSERT_NE(stbi_write_png(picture.c_str(), 1, 1, 4, pixel, 4), 0);

    struct Case {
        const char* what;
        std::string path;
        const char* failing;  // injected failure, if any
        HRESULT expected;
    };
    const Case cases[] = {
        {"missing file", (dir.path / "absent.png").string(), nullptr, D3DXERR_INVALIDDATA},
        {"not an image", notAnImage, nullptr, D3DXERR_INVALIDDATA},
        {"texture refused", picture, "CreateTexture", D3DERR_OUTOFVIDEOMEMORY},
        {"lock refused", picture, "Texture.LockRect", D3DERR_INVALIDCALL},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        if (c.failing) rec.journal->InjectFailure(c.failing, c.expected);
        auto* sentinel = reinterpret_cast<IDirect3DTexture9*>(&rec);
        IDirect3DTexture9* texture = sentinel;
        EXPECT_EQ(D3DXCreateTextureFromFileA(rec.device, c.path.c_str(), &texture), c.expected);
        EXPECT_EQ(texture, sentinel);
        EXPECT_EQ(rec.journal->LiveObjects(), rec.liveAfterSetUp);
    }
}
