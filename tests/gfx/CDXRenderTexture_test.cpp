#include "gfx/CDXRenderTexture.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/RecordingFixture.h"

namespace {

// Render target, depth surface and viewport are the back buffer's.
void ExpectBackBufferInForce(const CRecordingFixture& rec) {
    const D3DDeviceState& state = rec.State();
    EXPECT_EQ(RecordingLabel(state.renderTarget), "backbuffer");
    EXPECT_EQ(RecordingLabel(state.depthStencil), "depthbuffer");
    EXPECT_TRUE(state.viewport.X == 0 && state.viewport.Y == 0 && state.viewport.Width == 800 &&
                state.viewport.Height == 600);
}

}  // namespace

TEST_F(RecordingTest, RenderTextureBeginSendsDrawingInAndEndRestoresTheInitTargets) {
    {
        CDXRenderTexture target;
        ASSERT_EQ(target.Init(&rec.context, 256, 128), 0);
        const std::string level = RecordingLabel(target.GetTexture()) + ".level0";
        rec.callLog->ClearLog();

        EXPECT_EQ(target.Begin(), 0);
        EXPECT_EQ(rec.callLog->Texts(),
                  (std::vector<std::string>{"SetRenderTarget(0, " + level + ")",
                                            "SetDepthStencilSurface(" +
                                                RecordingLabel(target.GetDepthSurface()) + ")",
                                            "SetViewport(0, 0, 256, 128, 0, 1)"}));
        EXPECT_EQ(target.End(), 0);
        ExpectBackBufferInForce(rec);
    }
    EXPECT_EQ(rec.callLog->LiveObjects(), rec.liveAfterSetUp);
    EXPECT_EQ(rec.device->Reset(&rec.presentParams), D3D_OK) << "a default-pool object is left";
}

TEST_F(RecordingTest, RenderTextureFailedInitKeepsEarlierStepsAndStaysSafe) {
    struct Case {
        const char* failing;
        bool savedTarget, depthSurface, texture;
        std::size_t releases;  // references held after the failure
    };
    const Case cases[] = {
        {"GetRenderTarget", false, false, false, 0},
        {"GetDepthStencilSurface", true, false, false, 1},
        {"CreateDepthStencilSurface", true, false, false, 2},
        {"CreateTexture", true, true, false, 3},
        {"Texture.GetSurfaceLevel", true, true, true, 4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.failing);
        rec.callLog->InjectFailure(c.failing, E_FAIL);
        {
            CDXRenderTexture target;
            EXPECT_EQ(target.Init(&rec.context, 256, 256), 1);
            EXPECT_EQ(target.GetSavedTarget() != nullptr, c.savedTarget);
            EXPECT_EQ(target.GetDepthSurface() != nullptr, c.depthSurface);
            EXPECT_EQ(target.GetTexture() != nullptr, c.texture);
            EXPECT_EQ(rec.callLog->Names().back(), c.failing) << "Init stops at the failure";
            // Begin is refused the missing target and changes nothing else.
            EXPECT_EQ(target.Begin(), 0);
            ExpectBackBufferInForce(rec);
            EXPECT_EQ(target.End(), 0);
            ExpectBackBufferInForce(rec);
            rec.callLog->ClearLog();
        }
        EXPECT_EQ(rec.callLog->Count("Surface.Release") + rec.callLog->Count("Texture.Release"),
                  c.releases);
        EXPECT_EQ(rec.callLog->LiveObjects(), rec.liveAfterSetUp);
        EXPECT_EQ(rec.device->Reset(&rec.presentParams), D3D_OK) << "nothing left behind";
        rec.callLog->ClearLog();
    }
}
