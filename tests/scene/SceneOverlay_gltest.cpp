// The main scene's overlay on the OpenGL backend: the rates indicator lights
// its corner of the window, every other pixel staying as the grid drew it,
// and leaves nothing behind when it goes.
#include <gtest/gtest.h>

#include "config/AppConfig.h"
#include "gfx/CDXContext.h"
#include "platform/Random.h"
#include "scene/CSceneMain.h"
#include "support/FakeWin32.h"
#include "support/gl/CGLTestDevice.h"

TEST(SceneOverlayPixels, TheIndicatorLightsOnlyItsCornerAndLeavesNothingBehind) {
    CGLTestDevice gl(800, 600);
    ASSERT_TRUE(gl.Ok()) << gl.Failure();
    CFakeWin32 win32;  // the clock stands still; with no window the pointer is nowhere
    CDXContext context;
    context.device = gl.Device();
    context.presentParams = CGLTestDevice::DefaultParams(800, 600);
    g_appConfig = AppConfig{1, 800, 600};

    CGLPicture before, shown, after;
    {
        CSceneMain scene;
        Srand(7);
        scene.InitWithRates(&context, 10, 50);
        // The window starts black; the scene draws only its grid and overlay.
        gl.Device()->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000u, 1, 0);
        auto draw = [&] {
            gl.Device()->BeginScene();
            scene.Render();
            gl.Device()->EndScene();
            return gl.ReadBackBuffer();
        };
        before = draw();
        scene.MsgProc(nullptr, WM_KEYDOWN, VK_UP, 1);
        scene.MsgProc(nullptr, WM_KEYUP, VK_UP, static_cast<LPARAM>(0xC0000001u));
        shown = draw();
        for (int tick = 0; tick < kIndicatorTicks; ++tick) scene.Update();
        after = draw();
    }
    context.device = nullptr;  // the test device releases it
    g_appConfig = AppConfig{};

    // The indicator: white text on black in the bottom-left corner, the grid
    // (cell 6 reaches down to it) unchanged around it.
    int white = 0;
    for (UINT y = 0; y < 600; ++y) {
        for (UINT x = 0; x < 800; ++x) {
            const std::uint32_t pixel = shown.At(x, y);
            if (pixel == before.At(x, y)) continue;
            ASSERT_TRUE(x >= 8 && x < 400 && y >= 556 && y < 592) << x << "," << y;
            ASSERT_TRUE(pixel == 0xFFFFFFFFu || pixel == 0xFF000000u) << x << "," << y;
            white += pixel == 0xFFFFFFFFu ? 1 : 0;
        }
    }
    EXPECT_GT(white, 600);  // about 900 at this text

    // Gone again, it leaves nothing beside the grid: the picture is the first.
    EXPECT_TRUE(after.pixels == before.pixels);
}
