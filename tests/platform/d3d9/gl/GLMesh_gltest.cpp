// Projected, lit meshes on the GL backend: culling with Direct3D's winding,
// the fixed-function lighting at the points its formulas single out, and the
// state cache's kill switch.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/d3d9/d3dx9.h"
#include "support/gl/CGLTestDevice.h"
#include "support/gl/GLTestDrawing.h"

namespace {

constexpr float kPi = 3.14159265358979f;
constexpr std::uint32_t kBlack = 0xFF000000u;
constexpr std::uint32_t kRed = 0xFFFF0000u;
constexpr std::uint32_t kBlue = 0xFF0000FFu;

int Channel(std::uint32_t c, int shift) { return static_cast<int>((c >> shift) & 0xFF); }

struct Vec3 {
    float x, y, z;
};
Vec3 operator+(Vec3 a, Vec3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
Vec3 operator-(Vec3 a, Vec3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
Vec3 operator*(float s, Vec3 a) { return {s * a.x, s * a.y, s * a.z}; }
float Dot(Vec3 a, Vec3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
Vec3 Normalize(Vec3 a) { return (1.0f / std::sqrt(Dot(a, a))) * a; }

// A unit sphere laid out like the program's mesh: slice i at longitude
// pi - 2 pi i / slices, row j from the north pole (z = 1) to the south pole,
// one triangle strip per band of latitude pairing row s with row s + 1 and
// closing the band on slice 0. Seen from outside its triangles are
// counter-clockwise on screen.
struct Sphere {
    int slices;
    int rows;
    std::vector<Vec3> points;
    std::vector<std::uint16_t> indices;

    Sphere(int slices, int rows) : slices(slices), rows(rows) {
        for (int i = 0; i < slices; ++i) {
            const float theta = kPi - 2.0f * kPi * static_cast<float>(i) / static_cast<float>(slices);
            for (int j = 0; j < rows; ++j) {
                const float phi = kPi / 2 - kPi * static_cast<float>(j) / static_cast<float>(rows - 1);
                points.push_back({std::cos(theta) * std::cos(phi), std::sin(theta) * std::cos(phi), std::sin(phi)});
            }
        }
        for (int s = 0; s + 1 < rows; ++s) {
            for (int k = 0; k <= slices; ++k) {
                const int slice = k % slices;
                indices.push_back(static_cast<std::uint16_t>(slice * rows + s));
                indices.push_back(static_cast<std::uint16_t>(slice * rows + s + 1));
            }
        }
    }
    UINT StripIndices() const { return static_cast<UINT>(2 * (slices + 1)); }
};

// Vertex and index buffers holding a sphere, either with normals (FVF 18,
// as the program's shapes) or with a colour per vertex.
struct SphereBuffers {
    D3DRef<IDirect3DVertexBuffer9> vb;
    D3DRef<IDirect3DIndexBuffer9> ib;
    DWORD fvf = 0;
    UINT stride = 0;

    template <class MakeColour>
    SphereBuffers(IDirect3DDevice9* d, const Sphere& sphere, bool withNormals, MakeColour colour) {
        fvf = withNormals ? (D3DFVF_XYZ | D3DFVF_NORMAL) : (D3DFVF_XYZ | D3DFVF_DIFFUSE);
        stride = withNormals ? 24 : 16;
        std::vector<std::uint8_t> bytes;
        for (const Vec3& p : sphere.points) {
            const std::size_t at = bytes.size();
            bytes.resize(at + stride);
            std::memcpy(&bytes[at], &p, 12);
            if (withNormals) {
                std::memcpy(&bytes[at + 12], &p, 12);
            } else {
                const D3DCOLOR c = colour(p);
                std::memcpy(&bytes[at + 12], &c, 4);
            }
        }
        IDirect3DVertexBuffer9* v = nullptr;
        IDirect3DIndexBuffer9* i = nullptr;
        d->CreateVertexBuffer(static_cast<UINT>(bytes.size()), 0, fvf, D3DPOOL_DEFAULT, &v, nullptr);
        d->CreateIndexBuffer(static_cast<UINT>(sphere.indices.size() * 2), D3DUSAGE_WRITEONLY, D3DFMT_INDEX16,
                             D3DPOOL_DEFAULT, &i, nullptr);
        vb.reset(v);
        ib.reset(i);
        void* data = nullptr;
        if (v != nullptr && SUCCEEDED(v->Lock(0, 0, &data, 0))) {
            std::memcpy(data, bytes.data(), bytes.size());
            v->Unlock();
        }
        if (i != nullptr && SUCCEEDED(i->Lock(0, 0, &data, 0))) {
            std::memcpy(data, sphere.indices.data(), sphere.indices.size() * 2);
            i->Unlock();
        }
    }

    bool Ok() const { return vb != nullptr && ib != nullptr; }

    void Draw(IDirect3DDevice9* d, const Sphere& sphere) const {
        d->SetStreamSource(0, vb.get(), 0, stride);
        d->SetIndices(ib.get());
        d->SetFVF(fvf);
        for (int s = 0; s + 1 < sphere.rows; ++s)
            ASSERT_EQ(d->DrawIndexedPrimitive(D3DPT_TRIANGLESTRIP, 0, 0, static_cast<UINT>(sphere.points.size()),
                                              static_cast<UINT>(s) * sphere.StripIndices(),
                                              static_cast<UINT>(2 * sphere.slices)),
                      D3D_OK);
    }
};

// Camera at (0, 0, -4) looking at the origin, field of view pi/4, square.
struct Camera {
    Vec3 eye{0.0f, 0.0f, -4.0f};
    float fov = kPi / 4;

    void Apply(IDirect3DDevice9* d) const {
        const D3DXVECTOR3 eyeV(eye.x, eye.y, eye.z), at(0, 0, 0), up(0, 1, 0);
        D3DXMATRIX world, view, projection;
        D3DXMatrixIdentity(&world);
        D3DXMatrixLookAtLH(&view, &eyeV, &at, &up);
        D3DXMatrixPerspectiveFovLH(&projection, fov, 1.0f, 0.1f, 100.0f);
        d->SetTransform(D3DTS_WORLD, &world);
        d->SetTransform(D3DTS_VIEW, &view);
        d->SetTransform(D3DTS_PROJECTION, &projection);
    }

    // The pixel a point lands on (nearest pixel centre).
    void Project(Vec3 p, UINT size, int* px, int* py) const {
        const float s = 1.0f / std::tan(fov / 2);
        const Vec3 c = p - eye;
        const float nx = s * c.x / c.z;
        const float ny = s * c.y / c.z;
        *px = static_cast<int>(std::lround((nx + 1.0f) * static_cast<float>(size) / 2));
        *py = static_cast<int>(std::lround((1.0f - ny) * static_cast<float>(size) / 2));
    }
};

}  // namespace

TEST(GLMesh, CullingClockwiseKeepsTheOutsideAndCounterClockwiseTheInside) {
    CGLTestDevice gl(64, 64);
    ASSERT_TRUE(gl.Ok()) << gl.Failure();
    IDirect3DDevice9* d = gl.Device();
    const Sphere sphere(64, 64);
    // Near half red, far half blue: the centre pixel tells which side is drawn.
    const SphereBuffers buffers(d, sphere, false, [](Vec3 p) { return p.z < 0 ? kRed : kBlue; });
    ASSERT_TRUE(buffers.Ok());
    const Camera camera;
    camera.Apply(d);
    d->SetRenderState(D3DRS_LIGHTING, FALSE);
    d->SetRenderState(D3DRS_ZENABLE, D3DZB_FALSE);

    struct Case {
        DWORD cull;
        std::uint32_t centre;
    } cases[] = {{D3DCULL_CW, kRed}, {D3DCULL_CCW, kBlue}};
    for (const Case& c : cases) {
        d->Clear(0, nullptr, D3DCLEAR_TARGET, kBlack, 1.0f, 0);
        d->SetRenderState(D3DRS_CULLMODE, c.cull);
        buffers.Draw(d, sphere);
        const CGLPicture p = gl.ReadBackBuffer();
        EXPECT_EQ(p.At(32, 32), c.centre) << c.cull;
        EXPECT_EQ(p.At(40, 28), c.centre) << c.cull;
        EXPECT_EQ(p.At(1, 1), kBlack) << c.cull;
    }
}

TEST(GLMesh, LitSphereFollowsTheFixedFunctionFormulas) {
    constexpr UINT kSize = 128;
    CGLTestDevice gl(kSize, kSize);
    ASSERT_TRUE(gl.Ok()) << gl.Failure();
    IDirect3DDevice9* d = gl.Device();
    const Sphere sphere(128, 96);
    const SphereBuffers buffers(d, sphere, true, [](Vec3) { return D3DCOLOR{0}; });
    ASSERT_TRUE(buffers.Ok());
    const Camera camera;
    camera.Apply(d);
    d->SetRenderState(D3DRS_CULLMODE, D3DCULL_CW);

    // The light travels right, down and away from the camera.
    const Vec3 toLight = Normalize({-1.0f, 1.0f, -1.0f});
    D3DLIGHT9 light{};
    light.Type = D3DLIGHT_DIRECTIONAL;
    light.Direction = D3DVECTOR{-toLight.x, -toLight.y, -toLight.z};
    light.Diffuse = D3DCOLORVALUE{1, 1, 1, 0};
    light.Specular = D3DCOLORVALUE{1, 1, 1, 0};
    light.Ambient = D3DCOLORVALUE{0.5f, 0.5f, 0.5f, 0};
    d->SetLight(0, &light);
    d->LightEnable(0, TRUE);
    const float colour[3] = {0.6f, 0.4f, 0.2f};
    D3DMATERIAL9 material{};
    material.Diffuse = material.Ambient = D3DCOLORVALUE{colour[0], colour[1], colour[2], 0};
    d->SetMaterial(&material);

    // Diffuse and ambient only.
    d->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, kBlack, 1.0f, 0);
    buffers.Draw(d, sphere);
    const CGLPicture diffuse = gl.ReadBackBuffer();
    // The side away from the light, facing the camera, sits at the ambient
    // level: half the material colour.
    const Vec3 dark = Normalize({0.7f, -0.7f, -0.9f});
    ASSERT_LT(Dot(dark, toLight), 0.0f);
    int dx = 0, dy = 0;
    camera.Project(dark, kSize, &dx, &dy);
    for (int c = 0; c < 3; ++c)
        EXPECT_NEAR(Channel(diffuse.At(static_cast<UINT>(dx), static_cast<UINT>(dy)), 16 - 8 * c),
                    255.0f * colour[c] * 0.5f, 2.5)
            << "channel " << c;

    // The brightest point faces the light.
    int lx = 0, ly = 0;
    camera.Project(toLight, kSize, &lx, &ly);
    const int peak = Channel(diffuse.At(static_cast<UINT>(lx), static_cast<UINT>(ly)), 16);
    EXPECT_NEAR(peak, 255.0f * colour[0] * 1.5f, 2.5);
    for (std::uint32_t px : diffuse.pixels) ASSERT_LE(Channel(px, 16), peak + 1);

    // Specular alone (no diffuse or ambient reflectance), Power 50: the
    // highlight sits at the vertex where the halfway vector between the
    // light and the eye (local viewer) meets the normal best.
    material = D3DMATERIAL9{};
    material.Specular = D3DCOLORVALUE{1, 1, 1, 0};
    material.Power = 50.0f;
    d->SetMaterial(&material);
    d->SetRenderState(D3DRS_SPECULARENABLE, TRUE);
    d->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, kBlack, 1.0f, 0);
    buffers.Draw(d, sphere);
    const CGLPicture specular = gl.ReadBackBuffer();

    float best = -1.0f;
    Vec3 highlight{};
    for (const Vec3& p : sphere.points) {
        const Vec3 toEye = Normalize(camera.eye - p);
        if (Dot(p, toEye) <= 0 || Dot(p, toLight) <= 0) continue;
        const float nh = Dot(p, Normalize(toEye + toLight));
        if (nh > best) {
            best = nh;
            highlight = p;
        }
    }
    int hx = 0, hy = 0;
    camera.Project(highlight, kSize, &hx, &hy);
    UINT gx = 0, gy = 0;
    int brightest = -1;
    for (UINT y = 0; y < kSize; ++y)
        for (UINT x = 0; x < kSize; ++x)
            if (Channel(specular.At(x, y), 8) > brightest) {
                brightest = Channel(specular.At(x, y), 8);
                gx = x;
                gy = y;
            }
    EXPECT_LE(std::abs(static_cast<int>(gx) - hx), 1) << gx << "," << gy << " vs " << hx << "," << hy;
    EXPECT_LE(std::abs(static_cast<int>(gy) - hy), 1) << gx << "," << gy << " vs " << hx << "," << hy;
    EXPECT_NEAR(brightest, 255.0f * std::pow(best, 50.0f), 3.0);
    // The highlight is not the diffuse peak: the eye's position matters.
    EXPECT_GT(std::abs(hx - lx) + std::abs(hy - ly), 6);
    // No specular where the light does not reach.
    EXPECT_EQ(specular.At(static_cast<UINT>(dx), static_cast<UINT>(dy)), kBlack);
}

namespace {

// One device drawing frames shaped like the program's: a lit mesh into a
// render target, a glow pass (shrunk and turned by half) into a second
// target, then the picture, the additive glow and a highlight composited
// into the back buffer.
struct CellRig {
    CGLTestDevice gl{96, 56};
    Sphere sphere{32, 24};
    SphereBuffers mesh{gl.Device(), sphere, true, [](Vec3) { return D3DCOLOR{0}; }};
    D3DRef<IDirect3DTexture9> targets[2];
    D3DRef<IDirect3DSurface9> levels[2], depths[2], back, backDepth;

    CellRig() {
        IDirect3DDevice9* d = gl.Device();
        if (d == nullptr) return;
        IDirect3DSurface9* s = nullptr;
        d->GetRenderTarget(0, &s);
        back.reset(s);
        s = nullptr;
        d->GetDepthStencilSurface(&s);
        backDepth.reset(s);
        for (int i = 0; i < 2; ++i) {
            IDirect3DTexture9* t = nullptr;
            d->CreateTexture(64, 64, 1, D3DUSAGE_RENDERTARGET, D3DFMT_X8R8G8B8, D3DPOOL_DEFAULT, &t, nullptr);
            targets[i].reset(t);
            s = nullptr;
            d->CreateDepthStencilSurface(64, 64, D3DFMT_D16, D3DMULTISAMPLE_NONE, 0, TRUE, &s, nullptr);
            depths[i].reset(s);
            s = nullptr;
            if (t != nullptr) t->GetSurfaceLevel(0, &s);
            levels[i].reset(s);
        }
    }
    bool Ok() const { return gl.Ok() && mesh.Ok() && levels[1] != nullptr && depths[1] != nullptr; }

    void Frame(float angle) {
        IDirect3DDevice9* d = gl.Device();
        const Camera camera;
        camera.Apply(d);
        D3DXMATRIX world;
        D3DXMatrixRotationX(&world, angle);
        d->SetTransform(D3DTS_WORLD, &world);
        D3DLIGHT9 light{};
        light.Type = D3DLIGHT_DIRECTIONAL;
        light.Direction = D3DVECTOR{0.5170877f, -0.7756315f, -0.3619614f};
        light.Diffuse = light.Specular = D3DCOLORVALUE{1, 1, 1, 0};
        light.Ambient = D3DCOLORVALUE{0.5f, 0.5f, 0.5f, 0};
        d->SetLight(0, &light);
        d->LightEnable(0, TRUE);
        D3DMATERIAL9 material{};
        material.Diffuse = material.Ambient = D3DCOLORVALUE{0.7f, 0.5f, 0.9f, 0};
        material.Specular = D3DCOLORVALUE{1.4f, 1.0f, 1.8f, 0};
        material.Power = 50.0f;
        d->SetMaterial(&material);
        d->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_LINEAR);
        d->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR);
        for (int cell = 0; cell < 2; ++cell) {
            d->SetRenderTarget(0, levels[0].get());
            d->SetDepthStencilSurface(depths[0].get());
            d->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, kBlack, 1.0f, 0);
            d->SetRenderState(D3DRS_CULLMODE, D3DCULL_CW);
            mesh.Draw(d, sphere);
            d->SetRenderState(D3DRS_SPECULARENABLE, TRUE);
            d->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
            d->SetRenderTarget(0, levels[1].get());
            d->SetDepthStencilSurface(depths[1].get());
            GLTestQuad glowPass;
            glowPass.x = glowPass.y = 32;
            glowPass.width = glowPass.height = -32;
            glowPass.texture = targets[0].get();
            DrawTestQuad(d, glowPass);
            d->SetRenderTarget(0, back.get());
            d->SetDepthStencilSurface(backDepth.get());
            GLTestQuad picture;
            picture.x = 8.0f + 40.0f * static_cast<float>(cell);
            picture.y = 8;
            picture.width = picture.height = 40;
            picture.color = 0xFF999999u;
            picture.texture = targets[0].get();
            DrawTestQuad(d, picture);
            d->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
            d->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
            d->SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE);
            d->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_ONE);
            d->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ONE);
            d->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
            GLTestQuad glow = picture;
            glow.texture = targets[1].get();
            glow.uSpan = glow.vSpan = 0.5f;
            DrawTestQuad(d, glow);
            GLTestQuad highlight = picture;
            highlight.texture = nullptr;
            highlight.color = 0xFF333333u;
            DrawTestQuad(d, highlight);
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
    const CGLPicture b = uncached.gl.ReadBackBuffer();
    ASSERT_EQ(a.pixels.size(), b.pixels.size());
    std::size_t differing = 0;
    std::size_t lit = 0;
    for (std::size_t i = 0; i < a.pixels.size(); ++i) {
        differing += a.pixels[i] != b.pixels[i];
        lit += a.pixels[i] != kBlack;
    }
    EXPECT_EQ(differing, 0u);
    EXPECT_GT(lit, 2000u);  // the frame drew something worth comparing
}
