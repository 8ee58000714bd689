#include "gfx/CDXRenderTexture.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/RecordingFixture.h"

namespace {

class RenderTextureTest : public RecordingTest {
protected:
    // Render target, depth surface and viewport as the device has them.
    void ExpectBackBufferInForce(const char* when) {
        SCOPED_TRACE(when);
        const D3DDeviceState& state = rec.State();
        EXPECT_EQ(RecordingLabel(state.renderTarget), "backbuffer");
        EXPECT_EQ(RecordingLabel(state.depthStencil), "depthbuffer");
        EXPECT_EQ(state.viewport.X, 0u);
        EXPECT_EQ(state.viewport.Y, 0u);
        EXPECT_EQ(state.viewport.Width, 800u);
        EXPECT_EQ(state.viewport.Height, 600u);
    }
};

}  // namespace

TEST_F(RenderTextureTest, BeginSendsDrawingInAndEndRestoresTheInitTargets) {
    CDXRenderTexture target;
    ASSERT_EQ(target.Init(&rec.context, 256, 128), 0);
    const std::string level = RecordingLabel(target.GetTexture()) + ".level0";
    rec.journal->ClearLog();

    EXPECT_EQ(target.Begin(), 0);
    EXPECT_EQ(rec.journal->Texts(),
              (std::vector<std::string>{"SetRenderTarget(0, " + level + ")",
                                        "SetDepthStencilSurface(" +
                                            RecordingLabel(target.GetDepthSurface()) + ")",
                                        "SetViewport(0, 0, 256, 128, 0, 1)"}));
    EXPECT_EQ(rec.State().viewport.Height, 128u);
    EXPECT_EQ(target.End(), 0);
    EXPECT_EQ(rec.journal->Count("SetViewport"), 1u) << "End sets no viewport";
    ExpectBackBufferInForce("after End");
}

TEST_F(RenderTextureTest, DestructionReleasesInOrder) {
    std::string texture, depth;
    {
        CDXRenderTexture target;
        ASSERT_EQ(target.Init(&rec.context, 256, 256), 0);
        texture = RecordingLabel(target.GetTexture());
        depth = RecordingLabel(target.GetDepthSurface());
        EXPECT_EQ(rec.device->Reset(&rec.presentParams), D3DERR_INVALIDCALL)
            << "its default-pool objects block a reset";
        rec.journal->ClearLog();
    }
    EXPECT_EQ(rec.journal->Texts(),
              (std::vector<std::string>{"Texture.Release(" + texture + ")",
                                        "Surface.Release(" + texture + ".level0)",
                                        "Surface.Release(" + depth + ")",
                                        "Surface.Release(backbuffer)",
                                        "Surface.Release(depthbuffer)"}));
    EXPECT_EQ(rec.journal->LiveObjects(), rec.liveAfterSetUp);
    EXPECT_EQ(rec.device->Reset(&rec.presentParams), D3D_OK);
}

TEST_F(RenderTextureTest, FailedInitKeepsEarlierStepsAndStaysSafe) {
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
        rec.journal->InjectFailure(c.failing, E_FAIL);
        {
            CDXRenderTexture target;
            EXPECT_EQ(target.Init(&rec.context, 256, 256), 1);
            EXPECT_EQ(target.GetSavedTarget() != nullptr, c.savedTarget);
            EXPECT_EQ(target.GetDepthSurface() != nullptr, c.depthSurface);
            EXPECT_EQ(target.GetTexture() != nullptr, c.texture);
            EXPECT_EQ(rec.journal->Names().back(), c.failing) << "Init stops at the failure";

            // Begin refuses the missing target; nothing else changes.
            EXPECT_EQ(target.Begin(), 0);
            ExpectBackBufferInForce("after Begin");
            EXPECT_EQ(target.End(), 0);
            ExpectBackBufferInForce("after End");
            rec.journal->ClearLog();
        }
        EXPECT_EQ(rec.journal->Count("Surface.Release") + rec.journal->Count("Texture.Release"),
                  c.releases);
        EXPECT_EQ(rec.journal->LiveObjects(), rec.liveAfterSetUp);
        EXPECT_EQ(rec.device->Reset(&rec.presentParams), D3D_OK) << "nothing left behind";
        rec.journal->ClearLog();
    }
}
