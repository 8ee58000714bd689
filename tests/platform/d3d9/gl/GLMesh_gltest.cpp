// Projected, lit meshes on the GL backend: culling with Direct3D's winding,
// the fixed-function lighting at the points its formulas single out, and the
// state cache's kill switch.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <utility>
#include <vector>

#include "platform/d3d9/d3dx9.h"
#include "support/gl/CGLTestDevice.h"
#include "support/gl/GLTestDrawing.h"

namespace {

constexpr float kPi = 3.14159265358979f;
constexpr std::uint32_t kBlack = 0xFF000000u;

int Channel(std::uint32_t c, int shift) { return static_cast<int>((c >> shift) & 0xFF); }

struct Vec3 {
    float x, y, z;
};
Vec3 operator+(Vec3 a, Vec3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
Vec3 operator-(Vec3 a, Vec3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
float Dot(Vec3 a, Vec3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
Vec3 Normalize(Vec3 a) {
    const float s = 1.0f / std::sqrt(Dot(a, a));
    return {s * a.x, s * a.y, s * a.z};
}

// A unit sphere with normals (FVF 18, as the program's shapes) in a vertex
// and an index buffer, laid out like the program's mesh: slice i at
// longitude pi - 2 pi i / slices, row j from the north pole (z = 1) to the
// south pole, one triangle strip per band of latitude pairing row s with row
// s + 1 and closing the band on slice 0. Seen from outside its triangles are
// counter-clockwise on screen.
struct Sphere {
    int slices, rows;
    std::vector<Vec3> points;
    D3DRef<IDirect3DVertexBuffer9> vb;
    D3DRef<IDirect3DIndexBuffer9> ib;

    Sphere(IDirect3DDevice9* d, int slices, int rows) : slices(slices), rows(rows) {
        std::vector<Vec3> vertices;  // position, normal
        for (int i = 0; i < slices; ++i) {
            const float theta = kPi - 2.0f * kPi * static_cast<float>(i) / static_cast<float>(slices);
            for (int j = 0; j < rows; ++j) {
                const float phi = kPi / 2 - kPi * static_cast<float>(j) / static_cast<float>(rows - 1);
                const Vec3 p{std::cos(theta) * std::cos(phi), std::sin(theta) * std::cos(phi), std::sin(phi)};
                points.push_back(p);
                vertices.insert(vertices.end(), {p, p});
            }
        }
        std::vector<std::uint16_t> indices;
        for (int s = 0; s + 1 < rows; ++s) {
            for (int k = 0; k <= slices; ++k) {
                indices.push_back(static_cast<std::uint16_t>(k % slices * rows + s));
                indices.push_back(static_cast<std::uint16_t>(k % slices * rows + s + 1));
            }
        }
        IDirect3DVertexBuffer9* v = nullptr;
        IDirect3DIndexBuffer9* i = nullptr;
        d->CreateVertexBuffer(static_cast<UINT>(vertices.size() * 12), 0, D3DFVF_XYZ | D3DFVF_NORMAL,
                              D3DPOOL_DEFAULT, &v, nullptr);
        d->CreateIndexBuffer(static_cast<UINT>(indices.size() * 2), D3DUSAGE_WRITEONLY, D3DFMT_INDEX16,
                             D3DPOOL_DEFAULT, &i, nullptr);
        vb.reset(v);
        ib.reset(i);
        void* data = nullptr;
        if (v != nullptr && SUCCEEDED(v->Lock(0, 0, &data, 0))) {
            std::memcpy(data, vertices.data(), vertices.size() * 12);
            v->Unlock();
        }
        if (i != nullptr && SUCCEEDED(i->Lock(0, 0, &data, 0))) {
            std::memcpy(data, indices.data(), indices.size() * 2);
            i->Unlock();
        }
    }

    void Draw(IDirect3DDevice9* d) const {
        d->SetStreamSource(0, vb.get(), 0, 24);
        d->SetIndices(ib.get());
        d->SetFVF(D3DFVF_XYZ | D3DFVF_NORMAL);
        const auto strip = static_cast<UINT>(2 * (slices + 1));
        for (int s = 0; s + 1 < rows; ++s)
            ASSERT_EQ(d->DrawIndexedPrimitive(D3DPT_TRIANGLESTRIP, 0, 0, static_cast<UINT>(points.size()),
                                              static_cast<UINT>(s) * strip, static_cast<UINT>(2 * slices)),
                      D3D_OK);
    }
};

// Camera at (0, 0, -4) looking at the origin, field of view pi/4, square.
constexpr Vec3 kEye{0.0f, 0.0f, -4.0f};
constexpr float kFov = kPi / 4;

void ApplyCamera(IDirect3DDevice9* d) {
    const D3DXVECTOR3 eye(kEye.x, kEye.y, kEye.z), at(0, 0, 0), up(0, 1, 0);
    D3DXMATRIX world, view, projection;
    d->SetTransform(D3DTS_WORLD, D3DXMatrixIdentity(&world));
    d->SetTransform(D3DTS_VIEW, D3DXMatrixLookAtLH(&view, &eye, &at, &up));
    d->SetTransform(D3DTS_PROJECTION,
                    D3DXMatrixPerspectiveFovLH(&projection, kFov, 1.0f, 0.1f, 100.0f));
}

// The pixel a point lands on (nearest pixel centre) in a square picture.
struct Pixel {
    int x, y;
};
Pixel Project(Vec3 p, int size) {
    const float s = 1.0f / std::tan(kFov / 2), half = static_cast<float>(size) / 2;
    const Vec3 c = p - kEye;
    return {static_cast<int>(std::lround((s * c.x / c.z + 1.0f) * half)),
            static_cast<int>(std::lround((1.0f - s * c.y / c.z) * half))};
}

// A white directional light with the given ambient level, and a material
// of one colour for diffuse and ambient reflection.
void Light(IDirect3DDevice9* d, Vec3 direction, float ambient, D3DCOLORVALUE colour,
           D3DCOLORVALUE specular = {}, float power = 0) {
    D3DLIGHT9 light{};
    light.Type = D3DLIGHT_DIRECTIONAL;
    light.Direction = D3DVECTOR{direction.x, direction.y, direction.z};
    light.Diffuse = light.Specular = D3DCOLORVALUE{1, 1, 1, 0};
    light.Ambient = D3DCOLORVALUE{ambient, ambient, ambient, 0};
    d->SetLight(0, &light);
    d->LightEnable(0, TRUE);
    const D3DMATERIAL9 material{colour, colour, specular, {}, power};
    d->SetMaterial(&material);
}

}  // namespace

TEST(GLMesh, LitSphereFollowsTheFixedFunctionFormulas) {
    constexpr int kSize = 128;
    CGLTestDevice gl(kSize, kSize);
    ASSERT_TRUE(gl.Ok()) << gl.Failure();
    IDirect3DDevice9* d = gl.Device();
    const Sphere sphere(d, 128, 96);
    ApplyCamera(d);
    d->SetRenderState(D3DRS_CULLMODE, D3DCULL_CW);
    auto draw = [&] {
        d->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, kBlack, 1.0f, 0);
        sphere.Draw(d);
        return gl.ReadBackBuffer();
    };

    // The light travels right, down and away from the camera; diffuse and
    // ambient only.
    const Vec3 toLight = Normalize({-1.0f, 1.0f, -1.0f}), along{-toLight.x, -toLight.y, -toLight.z};
    const float colour[3] = {0.6f, 0.4f, 0.2f};
    const float ambientRed = 255.0f * colour[0] * 0.5f;
    Light(d, along, 0.5f, {colour[0], colour[1], colour[2], 0});
    const CGLPicture diffuse = draw();
    // The side away from the light, facing the camera, sits at the ambient
    // level: half the material colour.
    const Pixel dark = Project(Normalize({0.7f, -0.7f, -0.9f}), kSize);
    for (int c = 0; c < 3; ++c)
        EXPECT_NEAR(Channel(diffuse.At(dark.x, dark.y), 16 - 8 * c), 127.5f * colour[c], 2.5) << c;
    // The brightest point faces the light.
    const Pixel lightest = Project(toLight, kSize);
    const int peak = Channel(diffuse.At(lightest.x, lightest.y), 16);
    EXPECT_NEAR(peak, 255.0f * colour[0] * 1.5f, 2.5);
    for (std::uint32_t px : diffuse.pixels) ASSERT_LE(Channel(px, 16), peak + 1);
    // Culling clockwise kept the outside: counter-clockwise shows the inside
    // of the far half, turned from the light, at the ambient level.
    EXPECT_GT(Channel(diffuse.At(64, 64), 16), ambientRed + 50);
    d->SetRenderState(D3DRS_CULLMODE, D3DCULL_CCW);
    EXPECT_NEAR(Channel(draw().At(64, 64), 16), ambientRed, 2.5);
    d->SetRenderState(D3DRS_CULLMODE, D3DCULL_CW);

    // Specular alone (no diffuse or ambient reflectance), Power 50: the
    // highlight sits at the vertex where the halfway vector between the
    // light and the eye (local viewer) meets the normal best.
    Light(d, along, 0.5f, {}, {1, 1, 1, 0}, 50.0f);
    d->SetRenderState(D3DRS_SPECULARENABLE, TRUE);
    const CGLPicture specular = draw();
    float best = -1.0f;
    Vec3 highlight{};
    for (const Vec3& p : sphere.points) {
        const Vec3 toEye = Normalize(kEye - p);
        const float nh = Dot(p, Normalize(toEye + toLight));
        if (Dot(p, toEye) > 0 && Dot(p, toLight) > 0 && nh > best) {
            best = nh;
            highlight = p;
        }
    }
    const Pixel h = Project(highlight, kSize);
    Pixel g{};
    for (int y = 0; y < kSize; ++y)
        for (int x = 0; x < kSize; ++x)
            if (Channel(specular.At(x, y), 8) > Channel(specular.At(g.x, g.y), 8)) g = {x, y};
    EXPECT_TRUE(std::abs(g.x - h.x) <= 1 && std::abs(g.y - h.y) <= 1)
        << g.x << "," << g.y << " vs " << h.x << "," << h.y;
    EXPECT_NEAR(Channel(specular.At(g.x, g.y), 8), 255.0f * std::pow(best, 50.0f), 3.0);
    // The highlight is not the diffuse peak: the eye's position matters.
    EXPECT_GT(std::abs(h.x - lightest.x) + std::abs(h.y - lightest.y), 6);
    EXPECT_EQ(specular.At(dark.x, dark.y), kBlack);  // no light there
}

TEST(GLMesh, LightBehindTheSurfaceGivesNoSpecularEvenAtLowPower) {
    // A square facing the camera, reflecting specular light only. At Power 1
    // and 2 the term stays large wherever N.H is, so a light behind the
    // square (N.L < 0, yet N.H > 0 at every corner) must be cut by N.L alone.
    constexpr int kSize = 32;
    CGLTestDevice gl(kSize, kSize);
    ASSERT_TRUE(gl.Ok()) << gl.Failure();
    IDirect3DDevice9* d = gl.Device();
    ApplyCamera(d);
    d->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    d->SetRenderState(D3DRS_SPECULARENABLE, TRUE);
    const Vec3 normal{0, 0, -1};
    const Vec3 corners[4] = {{-1, 1, 0}, {1, 1, 0}, {1, -1, 0}, {-1, -1, 0}};
    std::vector<Vec3> square;  // position, normal
    for (const Vec3& c : corners) square.insert(square.end(), {c, normal});
    // {power, way to the light}: 60 degrees off the normal, in front of the
    // square or behind it.
    const std::pair<float, Vec3> cases[] = {{1.0f, {0.866025f, 0, -0.5f}},
                                            {2.0f, {0.866025f, 0, -0.5f}},
                                            {1.0f, {0.866025f, 0, 0.5f}},
                                            {2.0f, {0.866025f, 0, 0.5f}}};
    for (const auto& [power, toLight] : cases) {
        SCOPED_TRACE(testing::Message() << "power " << power << ", light z " << toLight.z);
        Light(d, {-toLight.x, -toLight.y, -toLight.z}, 0, {}, {1, 1, 1, 0}, power);
        d->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, kBlack, 1.0f, 0);
        d->SetFVF(D3DFVF_XYZ | D3DFVF_NORMAL);
        ASSERT_EQ(d->DrawPrimitiveUP(D3DPT_TRIANGLEFAN, 2, square.data(), 2 * sizeof(Vec3)), D3D_OK);
        const CGLPicture p = gl.ReadBackBuffer();
        if (Dot(normal, toLight) < 0) {
            EXPECT_TRUE(std::all_of(p.pixels.begin(), p.pixels.end(),
                                    [](std::uint32_t px) { return px == kBlack; }));
            continue;
        }
        // Lit per vertex: the centre, on the diagonal from corner 0 to 2, gets
        // their mean.
        float expected = 0;
        for (int corner : {0, 2}) {
            const Vec3 halfway = Normalize(Normalize(kEye - corners[corner]) + toLight);
            expected += 0.5f * 255.0f * std::pow(Dot(normal, halfway), power);
        }
        EXPECT_NEAR(Channel(p.At(kSize / 2, kSize / 2), 8), expected, 3.0);
    }
}

namespace {

// One device drawing frames shaped like the program's: a lit mesh into a
// render target with a depth surface of its own, then that picture, an
// additive glow of it (turned by half) and a highlight composited into the
// back buffer, twice, so that every state flips back and forth.
struct CellRig {
    CGLTestDevice gl{96, 56};
    Sphere sphere{gl.Device(), 32, 24};
    IDirect3DTexture9* target = nullptr;
    IDirect3DSurface9 *level = nullptr, *depth = nullptr, *back = nullptr, *backDepth = nullptr;

    CellRig() {
        IDirect3DDevice9* d = gl.Device();
        if (d == nullptr) return;
        d->GetRenderTarget(0, &back);
        d->GetDepthStencilSurface(&backDepth);
        d->CreateDepthStencilSurface(64, 64, D3DFMT_D16, D3DMULTISAMPLE_NONE, 0, TRUE, &depth,
                                     nullptr);
        d->CreateTexture(64, 64, 1, D3DUSAGE_RENDERTARGET, D3DFMT_X8R8G8B8, D3DPOOL_DEFAULT,
                         &target, nullptr);
        if (target != nullptr) target->GetSurfaceLevel(0, &level);
    }
    ~CellRig() {
        IUnknown* objects[] = {level, target, depth, backDepth, back};
        for (IUnknown* o : objects)
            if (o != nullptr) o->Release();
    }
    bool Ok() const { return gl.Ok() && level != nullptr && depth != nullptr; }

    void Frame(float angle) {
        IDirect3DDevice9* d = gl.Device();
        ApplyCamera(d);
        D3DXMATRIX world;
        d->SetTransform(D3DTS_WORLD, D3DXMatrixRotationX(&world, angle));
        Light(d, {0.5170877f, -0.7756315f, -0.3619614f}, 0.5f, {0.7f, 0.5f, 0.9f, 0},
              {1.4f, 1.0f, 1.8f, 0}, 50.0f);
        d->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_LINEAR);
        d->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR);
        for (int cell = 0; cell < 2; ++cell) {
            d->SetRenderTarget(0, level);
            d->SetDepthStencilSurface(depth);
            d->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, kBlack, 1.0f, 0);
            d->SetRenderState(D3DRS_CULLMODE, D3DCULL_CW);
            sphere.Draw(d);
            d->SetRenderState(D3DRS_SPECULARENABLE, TRUE);
            d->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
            d->SetRenderTarget(0, back);
            d->SetDepthStencilSurface(backDepth);
            const float x = 8.0f + 40.0f * static_cast<float>(cell);
            DrawTestQuad(d, {x, 8, 40, 40, 0xFF999999u, target});
            d->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
            d->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_ONE);
            d->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ONE);
            d->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
            DrawTestQuad(d, {x + 40, 48, -40, -40, 0xFF808080u, target, 0, 0, 0.5f, 0.5f});
            DrawTestQuad(d, {x, 8, 40, 40, 0xFF333333u});
            d->SetRenderState(D3DRS_CULLMODE, D3DCULL_CCW);
            d->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
        }
        d->Present(nullptr, nullptr, nullptr, nullptr);
    }
};

}  // namespace

TEST(GLMesh, TheStateCacheKillSwitchGivesTheSamePixels) {
    // Both devices live at once and draw in turns, so each draw also follows
    // a switch of GL context.
    unsetenv("TESSARY_GL_NO_STATE_CACHE");
    CellRig cached;
    setenv("TESSARY_GL_NO_STATE_CACHE", "1", 1);  // read when the device is made
    CellRig uncached;
    unsetenv("TESSARY_GL_NO_STATE_CACHE");
    ASSERT_TRUE(cached.Ok());
    ASSERT_TRUE(uncached.Ok());
    for (float angle : {0.0f, 0.7f, 1.9f}) {
        cached.Frame(angle);
        uncached.Frame(angle);
    }
    const CGLPicture a = cached.gl.ReadBackBuffer();
    EXPECT_TRUE(a.pixels == uncached.gl.ReadBackBuffer().pixels) << "the cache changed the picture";
    // The frame drew something worth comparing.
    EXPECT_GT(std::count_if(a.pixels.begin(), a.pixels.end(),
                            [](std::uint32_t p) { return p != kBlack; }),
              2000);
}
