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

TEST_F(RenderTextureTest, InitMakesATargetOfTheContextsFormats) {
    CDXRenderTexture target;
    ASSERT_EQ(target.Init(&rec.context, 256, 256), 0);
    EXPECT_EQ(rec.journal->Names(),
              (std::vector<std::string>{"GetRenderTarget", "GetDepthStencilSurface",
                                        "CreateDepthStencilSurface", "CreateTexture",
                                        "Texture.GetSurfaceLevel"}));
    // 80 = D16 without multisampling, discardable; 22 = X8R8G8B8 in the default pool.
    EXPECT_EQ(rec.journal->Texts("CreateDepthStencilSurface")[0],
              "CreateDepthStencilSurface(256, 256, 80, 0, 0, 1, " +
                  RecordingLabel(target.GetDepthSurface()) + ")");
    EXPECT_EQ(rec.journal->Texts("CreateTexture")[0],
              "CreateTexture(256, 256, 1, 1, 22, 0, " + RecordingLabel(target.GetTexture()) + ")");
    EXPECT_EQ(RecordingLabel(target.GetSavedTarget()), "backbuffer");
}

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

TEST_F(RenderTextureTest, TargetsDoNotNest) {
    CDXRenderTexture outer, inner;
    ASSERT_EQ(outer.Init(&rec.context, 256, 256), 0);
    ASSERT_EQ(inner.Init(&rec.context, 64, 64), 0);
    outer.Begin();
    inner.Begin();
    inner.End();
    // Back to the targets of Init, not to the outer texture.
    ExpectBackBufferInForce("after the inner End");
    outer.End();
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

TEST_F(RenderTextureTest, InitAgainGivesBackTheFirstTargets) {
    CDXRenderTexture target;
    ASSERT_EQ(target.Init(&rec.context, 64, 64), 0);
    ASSERT_EQ(target.Init(&rec.context, 128, 128), 0);
    EXPECT_EQ(rec.journal->LiveObjects(), rec.liveAfterSetUp + 2);
    D3DSURFACE_DESC desc{};
    target.GetTexture()->GetLevelDesc(0, &desc);
    EXPECT_EQ(desc.Width, 128u);
}

TEST(RenderTextureLifetime, WithoutInitOrContextNothingIsTouched) {
    CRecordingFixture rec;
    {
        CDXRenderTexture idle;
        EXPECT_EQ(idle.Begin(), 0);
        EXPECT_EQ(idle.End(), 0);
    }
    {
        CDXRenderTexture noContext;
        EXPECT_EQ(noContext.Init(nullptr, 256, 256), 1);
        EXPECT_EQ(noContext.Begin(), 0);
    }
    EXPECT_TRUE(rec.journal->calls.empty());
}
