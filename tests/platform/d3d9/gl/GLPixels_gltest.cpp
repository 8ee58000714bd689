// Pixels of screen-space and projected drawing on the GL backend, compared
// with what Direct3D 9's rules give: pixel centres on integers with the
// top-left fill rule, texel centres at half-texels, render targets top row
// first, Clear limited to the viewport, and the stage and blend arithmetic.
#include <gtest/gtest.h>

#include <string>

#include "platform/d3d9/d3dx9.h"
#include "support/gl/CGLTestDevice.h"
#include "support/gl/GLTestDrawing.h"

namespace {

constexpr std::uint32_t kBlack = 0xFF000000u;
constexpr std::uint32_t kRed = 0xFFFF0000u;
constexpr std::uint32_t kGreen = 0xFF00FF00u;
constexpr std::uint32_t kBlue = 0xFF0000FFu;
constexpr std::uint32_t kWhite = 0xFFFFFFFFu;

// The pixels where having `colour` and lying in the rectangle (inclusive
// corners) disagree: empty when exactly the rectangle has the colour.
std::string Mismatches(const CGLPicture& p, std::uint32_t colour, float x0, float y0, float x1,
                       float y1) {
    std::string s;
    for (UINT y = 0; y < p.height; ++y)
        for (UINT x = 0; x < p.width; ++x)
            if ((p.At(x, y) == colour) != (x >= x0 && x <= x1 && y >= y0 && y <= y1))
                s += " " + std::to_string(x) + "," + std::to_string(y);
    return s;
}

// A screen-space quad, flat or showing the window (0,0)-(span,span) of `t`.
void Quad(IDirect3DDevice9* d, float x, float y, float w, float h, D3DCOLOR colour,
          IDirect3DTexture9* t = nullptr, float span = 1) {
    ASSERT_EQ(DrawTestQuad(d, {x, y, w, h, colour, t, 0, 0, span, span}), D3D_OK);
}

}  // namespace

TEST(GLPixels, FlatAndProjectedQuadsCoverExactlyDirect3DsPixels) {
    CGLTestDevice gl(8, 8);
    ASSERT_TRUE(gl.Ok()) << gl.Failure();
    IDirect3DDevice9* d = gl.Device();
    d->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);  // the mirrored case winds the other way
    // World and view stay the identity; the projection divides by the depth
    // (w = z) and keeps x and y, so a point at depth 2 lands on ndc (x/2, y/2),
    // and Direct3D's viewport puts ndc -1 on the centre of pixel 0.
    D3DXMATRIX projection;
    D3DXMatrixIdentity(&projection);
    projection._33 = 1.5f;  // depth 1..3 onto 0..1
    projection._34 = 1.0f;
    projection._43 = -1.5f;
    projection._44 = 0.0f;
    d->SetTransform(D3DTS_PROJECTION, &projection);
    struct Vertex {
        float x, y, z;
        D3DCOLOR colour;
    };
    // The point at depth 2 that lands on Direct3D pixel coordinates (px, py).
    const auto at = [](float px, float py) {
        return Vertex{(px / 4 - 1) * 2, (1 - py / 4) * 2, 2, 0xFF336699u};
    };
    // {projected, x, y, width, height, then the covered pixels' corners, inclusive}
    const float cases[][9] = {
        // Edges on pixel centres: the top-left rule takes the top and left ones.
        {0, 0, 0, 4, 4, 0, 0, 3, 3},
        {1, 0, 0, 4, 4, 0, 0, 3, 3},
        {1, 1, 1, 2, 4, 1, 1, 2, 4},
        // Edges between pixels.
        {0, -0.5f, -0.5f, 4, 4, 0, 0, 3, 3},
        {0, 2.5f, 1.5f, 4, 2, 3, 2, 6, 3},
        {1, -0.5f, -0.5f, 4, 4, 0, 0, 3, 3},
        {1, 2.5f, 1.5f, 4, 2, 3, 2, 6, 3},
        // A negative size mirrors a screen quad onto the same pixels.
        {0, 6, 1, -3, 5, 3, 1, 5, 5},
    };
    for (const auto& [projected, x, y, w, h, x0, y0, x1, y1] : cases) {
        ASSERT_EQ(d->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, kBlack, 1.0f, 0), D3D_OK);
        if (projected != 0) {
            d->SetRenderState(D3DRS_LIGHTING, FALSE);
            const Vertex quad[4] = {at(x, y), at(x + w, y), at(x + w, y + h), at(x, y + h)};
            d->SetFVF(D3DFVF_XYZ | D3DFVF_DIFFUSE);
            ASSERT_EQ(d->DrawPrimitiveUP(D3DPT_TRIANGLEFAN, 2, quad, sizeof(Vertex)), D3D_OK);
            d->SetRenderState(D3DRS_LIGHTING, TRUE);
        } else {
            Quad(d, x, y, w, h, 0xFF336699u);
        }
        EXPECT_EQ(Mismatches(gl.ReadBackBuffer(), 0xFF336699u, x0, y0, x1, y1), "")
            << (projected != 0 ? "projected " : "") << x << "," << y << " size " << w << "," << h;
    }
}

TEST(GLPixels, TexturedQuadsSampleWhereDirect3DSamples) {
    CGLTestDevice gl(64, 64);
    ASSERT_TRUE(gl.Ok()) << gl.Failure();
    IDirect3DDevice9* d = gl.Device();

    // The window (0,0)-(0.25,0.25) of an 8x8 texture over 64x64 pixels shows
    // its top-left 2x2 texels, each over a 32x32 block.
    std::vector<std::uint32_t> big(64, kBlack);
    big[0] = kRed;
    big[1] = kGreen;
    big[8] = kBlue;
    big[9] = kWhite;
    D3DRef<IDirect3DTexture9> windowed(MakeTestTexture(d, 8, 8, big));
    ASSERT_NE(windowed, nullptr);
    // Pixels either side of the texel boundary at 32 (32 itself is a tie).
    auto expectQuarters = [&gl](std::uint32_t tl, std::uint32_t tr, std::uint32_t bl,
                                std::uint32_t br) {
        const CGLPicture p = gl.ReadBackBuffer();
        for (UINT y : {1u, 31u, 33u, 62u})
            for (UINT x : {1u, 31u, 33u, 62u})
                EXPECT_EQ(p.At(x, y), y < 32 ? (x < 32 ? tl : tr) : (x < 32 ? bl : br))
                    << x << "," << y;
    };
    Quad(d, 0, 0, 64, 64, kWhite, windowed.get(), 0.25f);
    expectQuarters(kRed, kGreen, kBlue, kWhite);

    // Width and height of -64 at (64, 64) turn the picture by half a turn.
    d->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    D3DRef<IDirect3DTexture9> quarters(MakeTestTexture(d, 2, 2, {kRed, kGreen, kBlue, kWhite}));
    ASSERT_NE(quarters, nullptr);
    Quad(d, 64, 64, -64, -64, kWhite, quarters.get());
    expectQuarters(kWhite, kBlue, kGreen, kRed);
}

namespace {

// A render target read back through a plain surface in system memory.
CGLPicture ReadBack(IDirect3DDevice9* d, IDirect3DSurface9* target) {
    D3DSURFACE_DESC desc{};
    target->GetDesc(&desc);
    CGLPicture picture{desc.Width, desc.Height, {}};
    IDirect3DSurface9* plain = nullptr;
    d->CreateOffscreenPlainSurface(desc.Width, desc.Height, desc.Format, D3DPOOL_SYSTEMMEM, &plain,
                                   nullptr);
    const D3DRef<IDirect3DSurface9> held(plain);
    D3DLOCKED_RECT locked{};
    if (plain == nullptr || FAILED(d->GetRenderTargetData(target, plain)) ||
        FAILED(plain->LockRect(&locked, nullptr, D3DLOCK_READONLY)))
        return picture;
    for (UINT y = 0; y < desc.Height; ++y) {
        const auto* row = reinterpret_cast<const std::uint32_t*>(
            static_cast<const std::uint8_t*>(locked.pBits) + std::size_t{y} * locked.Pitch);
        picture.pixels.insert(picture.pixels.end(), row, row + desc.Width);
    }
    plain->UnlockRect();
    return picture;
}

}  // namespace

TEST(GLPixels, RenderTargetsKeepTheTopRowOnTopAndGiveBackTheWholeBackBuffer) {
    CGLTestDevice gl(64, 48);
    ASSERT_TRUE(gl.Ok()) << gl.Failure();
    IDirect3DDevice9* d = gl.Device();
    // The program's render texture: a target texture with a depth surface of
    // its own, rendered into and then put back to the back buffer's.
    IDirect3DSurface9 *back = nullptr, *backDepth = nullptr, *level = nullptr, *depth = nullptr;
    IDirect3DTexture9* texture = nullptr;
    d->GetRenderTarget(0, &back);
    d->GetDepthStencilSurface(&backDepth);
    d->CreateTexture(16, 16, 1, D3DUSAGE_RENDERTARGET, D3DFMT_X8R8G8B8, D3DPOOL_DEFAULT, &texture,
                     nullptr);
    d->CreateDepthStencilSurface(16, 16, D3DFMT_D16, D3DMULTISAMPLE_NONE, 0, TRUE, &depth, nullptr);
    if (texture != nullptr) texture->GetSurfaceLevel(0, &level);
    const D3DRef<IUnknown> refs[] = {D3DRef<IUnknown>(back), D3DRef<IUnknown>(backDepth),
                                     D3DRef<IUnknown>(texture), D3DRef<IUnknown>(depth),
                                     D3DRef<IUnknown>(level)};
    ASSERT_TRUE(back && backDepth && depth && level);

    ASSERT_EQ(d->SetRenderTarget(0, level), D3D_OK);
    ASSERT_EQ(d->SetDepthStencilSurface(depth), D3D_OK);
    ASSERT_EQ(d->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, kBlue, 1.0f, 0), D3D_OK);
    Quad(d, 0, 0, 16, 2, kRed);  // Direct3D rows 0 and 1

    ASSERT_EQ(d->SetRenderTarget(0, back), D3D_OK);
    ASSERT_EQ(d->SetDepthStencilSurface(backDepth), D3D_OK);
    // Back on the back buffer the viewport covers all of it again.
    Quad(d, 0, 0, 64, 48, kGreen);
    Quad(d, 23.5f, 15.5f, 16, 16, kWhite, texture);  // a 1:1 copy at (24, 16)
    const CGLPicture p = gl.ReadBackBuffer();
    EXPECT_EQ(p.At(63, 47), kGreen);
    EXPECT_EQ(p.At(24, 16), kRed);
    EXPECT_EQ(p.At(39, 17), kRed);
    EXPECT_EQ(p.At(24, 18), kBlue);
    EXPECT_EQ(p.At(39, 31), kBlue);
    EXPECT_EQ(p.At(40, 31), kGreen);
    // Read back into system memory: the texture top row first, and the
    // back buffer as the device's own readback gives it.
    EXPECT_EQ(Mismatches(ReadBack(d, level), kRed, 0, 0, 15, 1), "");
    EXPECT_EQ(ReadBack(d, back).pixels, p.pixels);
}

TEST(GLPixels, ClearTouchesTheViewportOnlyAndIgnoresTheColourWriteMask) {
    CGLTestDevice gl(16, 16);
    ASSERT_TRUE(gl.Ok()) << gl.Failure();
    IDirect3DDevice9* d = gl.Device();
    ASSERT_EQ(d->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, kBlack, 1.0f, 0), D3D_OK);
    d->SetRenderState(D3DRS_COLORWRITEENABLE, 0);
    const D3DVIEWPORT9 vp{2, 3, 4, 5, 0.0f, 1.0f};
    ASSERT_EQ(d->SetViewport(&vp), D3D_OK);
    ASSERT_EQ(d->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, kRed, 0.25f, 0), D3D_OK);
    EXPECT_EQ(Mismatches(gl.ReadBackBuffer(), kRed, 2, 3, 5, 7), "");
}

TEST(GLPixels, StageAndBlendArithmeticOfTheGlowComposite) {
    CGLTestDevice gl(16, 16);
    ASSERT_TRUE(gl.Ok()) << gl.Failure();
    IDirect3DDevice9* d = gl.Device();
    d->SetRenderState(D3DRS_ZENABLE, D3DZB_FALSE);
    // The composite's stage 0: MODULATE(TEXTURE, DIFFUSE) for colour and alpha.
    d->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
    d->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
    d->SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE);
    // Without a texture the diffuse colour passes as is.
    Quad(d, 0, 0, 16, 16, 0xFF996633u);
    EXPECT_EQ(gl.ReadBackBuffer().At(8, 8), 0xFF996633u);

    // A picture modulated by 0xFF999999 keeps 0.6 of its value.
    const std::vector<std::uint32_t> picture = {kWhite, 0xFF804020u, 0xFF10F0C8u, kBlack};
    D3DRef<IDirect3DTexture9> texture(MakeTestTexture(d, 2, 2, picture));
    ASSERT_NE(texture, nullptr);
    Quad(d, 0, 0, 16, 16, 0xFF999999u, texture.get());
    CGLPicture p = gl.ReadBackBuffer();
    for (UINT i = 0; i < 4; ++i) {
        for (int shift : {0, 8, 16}) {
            const auto got = (p.At(4 + 8 * (i % 2), 4 + 8 * (i / 2)) >> shift) & 0xFF;
            EXPECT_NEAR(got, ((picture[i] >> shift) & 0xFF) * 0.6, 1.0) << i << " " << shift;
        }
    }

    // Additive blending (ONE, ONE) adds and saturates at 255.
    d->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_ONE);
    d->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ONE);
    Quad(d, 0, 0, 16, 16, 0xFF808080u);
    d->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    Quad(d, 0, 0, 8, 16, 0xFF90A010u);
    Quad(d, 8, 0, 8, 16, 0xFF333333u);  // the hover highlight, twice
    Quad(d, 8, 0, 8, 16, 0xFF333333u);
    p = gl.ReadBackBuffer();
    EXPECT_EQ(p.At(2, 2), 0xFFFFFF90u);
    EXPECT_EQ(p.At(12, 2), 0xFFE6E6E6u);
}
