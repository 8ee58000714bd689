// The main scene's set-up (draws in slot order, param.txt, Reset through the
// virtual table, device state) and its per-tick counters.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include <unistd.h>

#include "genetic/Genome.h"
#include "scene/SceneRig.h"
#include "support/ScriptedRandom.h"

namespace {

// Distinct, spread draws so that any reordering changes the result.
std::vector<int> SpreadDraws(int count) {
    std::vector<int> draws;
    for (int i = 0; i < count; ++i) draws.push_back((i * 7919 + 13) % 32768);
    return draws;
}

float Channel(int draw) { return static_cast<float>((draw / 32767.0) * 0.75 + 0.25); }

// Runs the test body in a fresh working directory, optionally with param.txt.
class CWorkingDirectory {
public:
    explicit CWorkingDirectory(const char* paramText) : previous(std::filesystem::current_path()) {
        dir = std::filesystem::temp_directory_path() /
              ("tessary-scene-" + std::to_string(::getpid()) + "-" + std::to_string(++serial));
        std::filesystem::create_directories(dir);
        std::filesystem::current_path(dir);
        if (paramText != nullptr) {
            std::FILE* file = std::fopen("param.txt", "w");
            if (file != nullptr) {
                std::fputs(paramText, file);
                std::fclose(file);
            }
        }
    }
    ~CWorkingDirectory() {
        std::filesystem::current_path(previous);
        std::filesystem::remove_all(dir);
    }

private:
    static inline int serial = 0;
    std::filesystem::path previous;
    std::filesystem::path dir;
};

class CResetCountingScene : public CTestScene {
public:
    int Reset() override {
        ++resets;
        return CTestScene::Reset();
    }
    int resets = 0;
};

TEST(SceneInit, Takes243DrawsSlotBySlot) {
    CWorkingDirectory cwd(nullptr);
    CSceneRig rig;
    const std::vector<int> draws = SpreadDraws(243);
    CTestScene scene;
    {
        CScriptedRandom random(draws, 12345);
        scene.Init(&rig.context);
        EXPECT_EQ(random.Taken(), 243u);
    }
    for (int k = 0; k < kPopulationSize; ++k) {
        SCOPED_TRACE("slot " + std::to_string(k));
        const auto first = draws.begin() + 27 * k;
        Genome expected;
        {
            CScriptedRandom random(std::vector<int>(first, first + 24));
            expected.Randomize();
        }
        for (int i = 0; i < kGenomeSize; ++i) EXPECT_EQ(scene.genomes[k].genes[i], expected.genes[i]);
        // Colour from the slot's three draws after its genome: blue, green, red.
        const D3DMATERIAL9& material = scene.shapes[k].material;
        EXPECT_EQ(material.Diffuse.b, Channel(first[24]));
        EXPECT_EQ(material.Diffuse.g, Channel(first[25]));
        EXPECT_EQ(material.Diffuse.r, Channel(first[26]));
        // The shape shows its genome.
        EXPECT_DOUBLE_EQ(scene.shapes[k].m[0],
                         expected.genes[6] + expected.genes[7] + expected.genes[8]);
        EXPECT_NE(scene.shapes[k].vertexBuffer, nullptr);
    }
}

TEST(SceneInit, ReadsParamFileAndDefaults) {
    struct Case {
        const char* text;
        int mutation;
        int reseed;
    };
    for (const Case& c : {Case{nullptr, 10, 50}, Case{"5 100", 5, 100}, Case{"5\n100\n", 5, 100},
                          Case{"-3 250", -3, 250}, Case{"", 10, 50}, Case{"7", 7, 50},
                          Case{"x 1 2", 10, 50}}) {
        SCOPED_TRACE(c.text != nullptr ? c.text : "(no file)");
        CWorkingDirectory cwd(c.text);
        CSceneRig rig;
        CScriptedRandom random;
        CTestScene scene;
        scene.Init(&rig.context);
        EXPECT_EQ(scene.MutationRate(), c.mutation);
        EXPECT_EQ(scene.ReseedRate(), c.reseed);
    }
}

TEST(SceneInit, RatesGivenByTheCallerSkipTheFile) {
    CWorkingDirectory cwd("1 2");
    CSceneRig rig;
    CScriptedRandom random;
    CTestScene scene;
    scene.InitWithRates(&rig.context, 0, 100);
    EXPECT_EQ(random.Taken(), 243u);
    EXPECT_EQ(scene.MutationRate(), 0);
    EXPECT_EQ(scene.ReseedRate(), 100);
}

TEST(SceneInit, ResetsThroughTheVirtualTableAndSetsDeviceState) {
    CWorkingDirectory cwd(nullptr);
    CSceneRig rig(1024, 768);
    CScriptedRandom random;
    CResetCountingScene scene;
    scene.frameCounter = 77;
    scene.clickCooldown = 5;
    scene.Init(&rig.context);
    EXPECT_EQ(scene.resets, 1);
    EXPECT_EQ(scene.FrameCounter(), 0);
    EXPECT_EQ(scene.ClickCooldown(), 0);

    const D3DDeviceState& state = rig.State();
    EXPECT_EQ(state.SamplerState(0, D3DSAMP_ADDRESSU), DWORD{D3DTADDRESS_CLAMP});
    EXPECT_EQ(state.SamplerState(0, D3DSAMP_ADDRESSV), DWORD{D3DTADDRESS_CLAMP});
    EXPECT_EQ(state.SamplerState(0, D3DSAMP_MINFILTER), DWORD{D3DTEXF_LINEAR});
    EXPECT_EQ(state.SamplerState(0, D3DSAMP_MAGFILTER), DWORD{D3DTEXF_LINEAR});
    // The viewport follows the configured client size.
    EXPECT_EQ(state.viewport.Width, 1024u);
    EXPECT_EQ(state.viewport.Height, 768u);
    EXPECT_EQ(state.viewport.MaxZ, 1.0f);

    const D3DLIGHT9& light = state.lights[0];
    EXPECT_TRUE(state.lightEnabled[0]);
    EXPECT_EQ(light.Type, D3DLIGHT_DIRECTIONAL);
    EXPECT_EQ(light.Diffuse.r, 1.0f);
    EXPECT_EQ(light.Diffuse.a, 0.0f);
    EXPECT_EQ(light.Ambient.g, 0.5f);
    EXPECT_EQ(light.Specular.b, 1.0f);
    EXPECT_NEAR(light.Direction.x, 0.5170877f, 1e-6);
    EXPECT_NEAR(light.Direction.y, -0.7756315f, 1e-6);
    EXPECT_NEAR(light.Direction.z, -0.3619614f, 1e-6);
    EXPECT_EQ(light.Range, 0.0f);
}

TEST(SceneInit, CreatesThreeRenderTargetsOf256) {
    CWorkingDirectory cwd(nullptr);
    CSceneRig rig;
    CScriptedRandom random;
    CTestScene scene;
    scene.Init(&rig.context);
    CDXRenderTexture* targets[] = {&scene.shapeTarget, &scene.glowTargets[0],
                                   &scene.glowTargets[1]};
    for (CDXRenderTexture* target : targets) {
        ASSERT_NE(target->GetTexture(), nullptr);
        D3DSURFACE_DESC desc{};
        target->GetTexture()->GetLevelDesc(0, &desc);
        EXPECT_EQ(desc.Width, 256u);
        EXPECT_EQ(desc.Height, 256u);
        EXPECT_EQ(desc.Usage & D3DUSAGE_RENDERTARGET, D3DUSAGE_RENDERTARGET);
    }
    EXPECT_NE(scene.shapeTarget.GetTexture(), scene.glowTargets[0].GetTexture());
    EXPECT_NE(scene.glowTargets[0].GetTexture(), scene.glowTargets[1].GetTexture());
}

TEST(SceneUpdate, CountsTicksAndWrapsBeforeTheLargestInt) {
    CTestScene scene;
    scene.frameCounter = 0;
    scene.clickCooldown = 0;
    scene.Update();
    EXPECT_EQ(scene.FrameCounter(), 1);
    scene.frameCounter = INT_MAX - 2;
    EXPECT_EQ(scene.Update(), 0);
    EXPECT_EQ(scene.FrameCounter(), INT_MAX - 1);
    scene.Update();
    EXPECT_EQ(scene.FrameCounter(), 0);
    scene.Update();
    EXPECT_EQ(scene.FrameCounter(), 1);
}

TEST(SceneUpdate, CooldownRunsOutAfterSixtyTicksAndStaysAtZero) {
    CTestScene scene;
    scene.frameCounter = 0;
    scene.clickCooldown = kClickCooldownTicks;
    for (int tick = 0; tick < 59; ++tick) scene.Update();
    EXPECT_EQ(scene.ClickCooldown(), 1);
    scene.Update();
    EXPECT_EQ(scene.ClickCooldown(), 0);
    for (int tick = 0; tick < 5; ++tick) scene.Update();
    EXPECT_EQ(scene.ClickCooldown(), 0);
}

}  // namespace
