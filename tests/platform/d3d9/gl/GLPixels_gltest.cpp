// Pixels of screen-space drawing on the GL backend, compared with what
// Direct3D 9's rules give: pixel centres on integers with the top-left fill
// rule, texel centres at half-texels, render targets top row first, Clear
// limited to the viewport, and the stage and blend arithmetic.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "support/gl/CGLTestDevice.h"
#include "support/gl/GLTestDrawing.h"

namespace {

constexpr std::uint32_t kBlack = 0xFF000000u;
constexpr std::uint32_t kRed = 0xFFFF0000u;
constexpr std::uint32_t kGreen = 0xFF00FF00u;
constexpr std::uint32_t kBlue = 0xFF0000FFu;
constexpr std::uint32_t kWhite = 0xFFFFFFFFu;

int Channel(std::uint32_t c, int shift) { return static_cast<int>((c >> shift) & 0xFF); }

// The picture as rows of '#' (the colour) and '.' (anything else), for
// readable failure messages.
std::string Mask(const CGLPicture& p, std::uint32_t colour, UINT width, UINT height) {
    std::string s;
    for (UINT y = 0; y < height; ++y) {
        for (UINT x = 0; x < width; ++x) s += p.At(x, y) == colour ? '#' : '.';
        s += '\n';
    }
    return s;
}

std::string Rect(UINT width, UINT height, UINT x0, UINT y0, UINT x1, UINT y1) {
    std::string s;
    for (UINT y = 0; y < height; ++y) {
        for (UINT x = 0; x < width; ++x) s += x >= x0 && x <= x1 && y >= y0 && y <= y1 ? '#' : '.';
        s += '\n';
    }
    return s;
}

// A screen-space quad, flat or showing the window (0,0)-(span,span) of `t`.
void Quad(IDirect3DDevice9* d, float x, float y, float w, float h, D3DCOLOR colour,
          IDirect3DTexture9* t = nullptr, float span = 1) {
    GLTestQuad q;
    q.x = x;
    q.y = y;
    q.width = w;
    q.height = h;
    q.color = colour;
    q.texture = t;
    q.uSpan = q.vSpan = span;
    ASSERT_EQ(DrawTestQuad(d, q), D3D_OK);
}

void Filter(IDirect3DDevice9* d, D3DTEXTUREFILTERTYPE filter) {
    d->SetSamplerState(0, D3DSAMP_MINFILTER, filter);
    d->SetSamplerState(0, D3DSAMP_MAGFILTER, filter);
    d->SetSamplerState(0, D3DSAMP_ADDRESSU, D3DTADDRESS_CLAMP);
    d->SetSamplerState(0, D3DSAMP_ADDRESSV, D3DTADDRESS_CLAMP);
}

}  // namespace

TEST(GLPixels, FlatQuadsCoverExactlyDirect3DsPixels) {
    CGLTestDevice gl(8, 8);
    ASSERT_TRUE(gl.Ok()) << gl.Failure();
    IDirect3DDevice9* d = gl.Device();
    d->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);  // the mirrored cases wind the other way
    struct Case {
        const char* what;
        float x, y, w, h;
        UINT x0, y0, x1, y1;  // covered pixels, inclusive
    } cases[] = {
        // Edges on pixel centres: the top-left rule takes the top and left ones.
        {"(0,0)-(4,4)", 0, 0, 4, 4, 0, 0, 3, 3},
        {"(1,1)-(3,5)", 1, 1, 2, 4, 1, 1, 2, 4},
        {"(5,2)-(8,3)", 5, 2, 3, 1, 5, 2, 7, 2},
        // Edges between pixels.
        {"(-0.5,-0.5)-(3.5,3.5)", -0.5f, -0.5f, 4, 4, 0, 0, 3, 3},
        {"(2.5,1.5)-(6.5,3.5)", 2.5f, 1.5f, 4, 2, 3, 2, 6, 3},
        // Negative sizes mirror the quad onto the same pixels.
        {"(4,4) size (-4,-4)", 4, 4, -4, -4, 0, 0, 3, 3},
        {"(6,1) size (-3,5)", 6, 1, -3, 5, 3, 1, 5, 5},
    };
    for (const Case& c : cases) {
        ASSERT_EQ(d->Clear(0, nullptr, D3DCLEAR_TARGET, kBlack, 1.0f, 0), D3D_OK);
        Quad(d, c.x, c.y, c.w, c.h, 0xFF336699u);
        EXPECT_EQ(Mask(gl.ReadBackBuffer(), 0xFF336699u, 8, 8), Rect(8, 8, c.x0, c.y0, c.x1, c.y1))
            << c.what;
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
    Filter(d, D3DTEXF_POINT);
    Quad(d, 0, 0, 64, 64, kWhite, windowed.get(), 0.25f);
    CGLPicture p = gl.ReadBackBuffer();
    for (UINT y = 0; y < 64; ++y) {
        for (UINT x = 0; x < 64; ++x) {
            if (x == 32 || y == 32) continue;  // the texel boundary itself is a tie
            const std::uint32_t expected = y < 32 ? (x < 32 ? kRed : kGreen) : (x < 32 ? kBlue : kWhite);
            ASSERT_EQ(p.At(x, y), expected) << x << "," << y;
        }
    }

    // Width and height of -64 at (64, 64) turn the picture by half a turn.
    d->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    D3DRef<IDirect3DTexture9> quarters(MakeTestTexture(d, 2, 2, {kRed, kGreen, kBlue, kWhite}));
    ASSERT_NE(quarters, nullptr);
    Quad(d, 64, 64, -64, -64, kWhite, quarters.get());
    p = gl.ReadBackBuffer();
    EXPECT_EQ(p.At(16, 16), kWhite);
    EXPECT_EQ(p.At(48, 16), kBlue);
    EXPECT_EQ(p.At(16, 48), kGreen);
    EXPECT_EQ(p.At(48, 48), kRed);
}

TEST(GLPixels, RenderTargetsKeepTheTopRowOnTopAndGiveBackTheWholeBackBuffer) {
    CGLTestDevice gl(64, 48);
    ASSERT_TRUE(gl.Ok()) << gl.Failure();
    IDirect3DDevice9* d = gl.Device();
    IDirect3DSurface9* backBuffer = nullptr;
    IDirect3DSurface9* backDepth = nullptr;
    ASSERT_EQ(d->GetRenderTarget(0, &backBuffer), D3D_OK);
    ASSERT_EQ(d->GetDepthStencilSurface(&backDepth), D3D_OK);
    D3DRef<IDirect3DSurface9> backRef(backBuffer);
    D3DRef<IDirect3DSurface9> backDepthRef(backDepth);

    // The render texture of the program: a target texture with a depth
    // surface of its own.
    IDirect3DTexture9* texture = nullptr;
    IDirect3DSurface9* depth = nullptr;
    IDirect3DSurface9* level = nullptr;
    ASSERT_EQ(d->CreateTexture(16, 16, 1, D3DUSAGE_RENDERTARGET, D3DFMT_X8R8G8B8, D3DPOOL_DEFAULT,
                               &texture, nullptr),
              D3D_OK);
    D3DRef<IDirect3DTexture9> textureRef(texture);
    ASSERT_EQ(d->CreateDepthStencilSurface(16, 16, D3DFMT_D16, D3DMULTISAMPLE_NONE, 0, TRUE, &depth, nullptr),
              D3D_OK);
    D3DRef<IDirect3DSurface9> depthRef(depth);
    ASSERT_EQ(texture->GetSurfaceLevel(0, &level), D3D_OK);
    D3DRef<IDirect3DSurface9> levelRef(level);

    ASSERT_EQ(d->SetRenderTarget(0, level), D3D_OK);
    ASSERT_EQ(d->SetDepthStencilSurface(depth), D3D_OK);
    D3DVIEWPORT9 vp{};
    d->GetViewport(&vp);
    EXPECT_EQ(vp.Width, 16u);
    EXPECT_EQ(vp.Height, 16u);
    ASSERT_EQ(d->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, kBlue, 1.0f, 0), D3D_OK);
    Quad(d, 0, 0, 16, 2, kRed);  // Direct3D rows 0 and 1
    const CGLPicture inTexture = CGLTestDevice::ReadTexture(texture);
    ASSERT_EQ(inTexture.width, 16u);
    EXPECT_EQ(inTexture.At(0, 0), kRed);   // texture memory row 0 is the top
    EXPECT_EQ(inTexture.At(15, 1), kRed);
    EXPECT_EQ(inTexture.At(0, 2), kBlue);
    EXPECT_EQ(inTexture.At(15, 15), kBlue);

    ASSERT_EQ(d->SetRenderTarget(0, backBuffer), D3D_OK);
    ASSERT_EQ(d->SetDepthStencilSurface(backDepth), D3D_OK);
    // Back on the back buffer the viewport covers all of it again.
    d->GetViewport(&vp);
    EXPECT_EQ(vp.Width, 64u);
    EXPECT_EQ(vp.Height, 48u);
    Quad(d, 0, 0, 64, 48, kGreen);
    Filter(d, D3DTEXF_POINT);
    Quad(d, 23.5f, 15.5f, 16, 16, kWhite, texture);  // a 1:1 copy at (24, 16)
    const CGLPicture p = gl.ReadBackBuffer();
    EXPECT_EQ(p.At(0, 0), kGreen);
    EXPECT_EQ(p.At(63, 47), kGreen);
    EXPECT_EQ(p.At(24, 16), kRed);
    EXPECT_EQ(p.At(39, 17), kRed);
    EXPECT_EQ(p.At(24, 18), kBlue);
    EXPECT_EQ(p.At(39, 31), kBlue);
    EXPECT_EQ(p.At(40, 31), kGreen);
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
    EXPECT_EQ(Mask(gl.ReadBackBuffer(), kRed, 16, 16), Rect(16, 16, 2, 3, 5, 7));
}

TEST(GLPixels, StageAndBlendArithmeticOfTheGlowComposite) {
    CGLTestDevice gl(16, 16);
    ASSERT_TRUE(gl.Ok()) << gl.Failure();
    IDirect3DDevice9* d = gl.Device();
    d->SetRenderState(D3DRS_ZENABLE, D3DZB_FALSE);

    // Stage 0 with no texture passes the diffuse colour, under the default
    // stage operations and under the composite's MODULATE(TEXTURE, DIFFUSE).
    Quad(d, 0, 0, 16, 16, 0xFF336699u);
    EXPECT_EQ(gl.ReadBackBuffer().At(8, 8), 0xFF336699u);
    const DWORD stage[][2] = {{D3DTSS_COLOROP, D3DTOP_MODULATE}, {D3DTSS_COLORARG1, D3DTA_TEXTURE},
                              {D3DTSS_COLORARG2, D3DTA_DIFFUSE}, {D3DTSS_ALPHAOP, D3DTOP_MODULATE},
                              {D3DTSS_ALPHAARG1, D3DTA_TEXTURE}, {D3DTSS_ALPHAARG2, D3DTA_DIFFUSE}};
    for (const auto& s : stage) d->SetTextureStageState(0, static_cast<D3DTEXTURESTAGESTATETYPE>(s[0]), s[1]);
    Quad(d, 0, 0, 16, 16, 0xFF996633u);
    EXPECT_EQ(gl.ReadBackBuffer().At(8, 8), 0xFF996633u);

    // A picture modulated by 0xFF999999 keeps 0.6 of its value.
    const std::vector<std::uint32_t> picture = {kWhite, 0xFF804020u, 0xFF10F0C8u, 0xFF000000u};
    D3DRef<IDirect3DTexture9> texture(MakeTestTexture(d, 2, 2, picture));
    ASSERT_NE(texture, nullptr);
    Filter(d, D3DTEXF_POINT);
    Quad(d, 0, 0, 16, 16, 0xFF999999u, texture.get());
    CGLPicture p = gl.ReadBackBuffer();
    const UINT at[4][2] = {{4, 4}, {12, 4}, {4, 12}, {12, 12}};
    for (int i = 0; i < 4; ++i) {
        const std::uint32_t src = picture[static_cast<std::size_t>(i)];
        const std::uint32_t got = p.At(at[i][0], at[i][1]);
        for (int shift : {0, 8, 16})
            EXPECT_NEAR(Channel(got, shift), Channel(src, shift) * 0.6, 1.0) << i << " " << shift;
    }

    // Additive blending (ONE, ONE) adds and saturates at 255.
    d->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_ONE);
    d->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ONE);
    Quad(d, 0, 0, 16, 16, 0xFF808080u);
    d->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    Quad(d, 0, 0, 8, 16, 0xFF90A010u);
    Quad(d, 8, 0, 8, 16, 0xFF333333u);  // the hover highlight at frame 0
    Quad(d, 8, 0, 8, 16, 0xFF333333u);
    p = gl.ReadBackBuffer();
    EXPECT_EQ(p.At(2, 2), 0xFFFFFF90u);
    EXPECT_EQ(p.At(12, 2), 0xFFE6E6E6u);
}
