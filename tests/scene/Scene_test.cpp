// The main scene's set-up, counters and breeding: the rates file, the draws
// taken in slot order, Reset through the virtual table, the tick counters,
// and the order of draws and the parent copy of Breed.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <string>
#include <vector>

#include "scene/BreedingRates.h"
#include "scene/SceneRig.h"
#include "support/ScriptedRandom.h"

namespace {

float Channel(int draw) { return static_cast<float>((draw / 32767.0) * 0.75 + 0.25); }

std::vector<int> Spread(int count) {
    std::vector<int> draws;
    for (int i = 0; i < count; ++i) draws.push_back((i * 7919 + 13) % 32768);
    return draws;
}

TEST(BreedingRates, ReadsWhatTheFileSuppliesAndDefaultsTheRest) {
    struct Case {
        const char* content;  // null: no file
        int mutation;
        int reseed;
    };
    const std::string path = ::testing::TempDir() + "tessary-param.txt";
    for (const Case& c :
         {Case{nullptr, 10, 50}, Case{"5 100", 5, 100}, Case{"\n 5\r\n100\n", 5, 100},
          Case{"-3 250 9", -3, 250}, Case{"", 10, 50}, Case{"7", 7, 50}, Case{"12 x 40", 12, 50},
          Case{"rate 5 100", 10, 50}, Case{"- 5", 10, 50},
          Case{"99999999999 -99999999999", INT_MAX, INT_MIN}}) {
        SCOPED_TRACE(c.content != nullptr ? c.content : "(no file)");
        std::remove(path.c_str());
        if (c.content != nullptr) {
            std::FILE* file = std::fopen(path.c_str(), "w");
            ASSERT_NE(file, nullptr);
            std::fputs(c.content, file);
            std::fclose(file);
        }
        const BreedingRates rates = ReadBreedingRates(path.c_str());
        EXPECT_EQ(rates.mutationRate, c.mutation);
        EXPECT_EQ(rates.reseedRate, c.reseed);
    }
    std::remove(path.c_str());
}

class CResetCountingScene : public CTestScene {
public:
    int Reset() override {
        ++resets;
        return CTestScene::Reset();
    }
    int resets = 0;
};

TEST(SceneInit, DrawsSlotBySlotThenResetsThroughTheVirtualTable) {
    CSceneRig rig(1024, 768);
    const std::vector<int> draws = Spread(243);
    CResetCountingScene scene;
    scene.frameCounter = 77;
    scene.clickCooldown = 5;
    {
        CScriptedRandom random(draws, 12345);
        scene.InitWithRates(&rig.context, 1, 2);
        EXPECT_EQ(random.Taken(), 243u);
    }
    for (int k = 0; k < kPopulationSize; ++k) {
        SCOPED_TRACE("slot " + std::to_string(k));
        // 24 draws of the genome, then blue, green, red.
        const auto first = draws.begin() + 27 * k;
        Genome expected;
        {
            CScriptedRandom random(std::vector<int>(first, first + 24));
            expected.Randomize();
        }
        for (int i = 0; i < kGenomeSize; ++i)
            EXPECT_EQ(scene.genomes[k].genes[i], expected.genes[i]);
        EXPECT_EQ(scene.shapes[k].material.Diffuse.b, Channel(first[24]));
        EXPECT_EQ(scene.shapes[k].material.Diffuse.r, Channel(first[26]));
        EXPECT_EQ(scene.shapes[k].m[1],
                  expected.genes[24] + expected.genes[25] + expected.genes[26]);
    }
    EXPECT_EQ(scene.resets, 1);
    EXPECT_EQ(scene.FrameCounter(), 0);
    EXPECT_EQ(scene.ClickCooldown(), 0);
}

TEST(SceneUpdate, FrameCounterWrapsAndCooldownStopsAtZero) {
    CTestScene scene;
    scene.frameCounter = INT_MAX - 2;
    scene.clickCooldown = kClickCooldownTicks;
    scene.Update();
    EXPECT_EQ(scene.FrameCounter(), INT_MAX - 1);
    scene.Update();
    EXPECT_EQ(scene.FrameCounter(), 0);
    for (int tick = 2; tick < kClickCooldownTicks - 1; ++tick) scene.Update();
    EXPECT_EQ(scene.ClickCooldown(), 1);
    scene.Update();
    scene.Update();
    EXPECT_EQ(scene.ClickCooldown(), 0);
    EXPECT_EQ(scene.FrameCounter(), kClickCooldownTicks - 1);
}

class BreedTest : public ::testing::Test {
protected:
    void SetUp() override {
        CScriptedRandom initDraws(Spread(243));
        scene.InitWithRates(&rig.context, 0, 0);
        for (int k = 0; k < kPopulationSize; ++k) before[k] = scene.genomes[k];
    }

    // The shape shows its genome, and its mesh is the one a fresh shape
    // with the same parameters builds.
    void ExpectShapeShowsGenome(int k) {
        const Genome& g = scene.genomes[k];
        CSuperShape& shape = scene.shapes[k];
        EXPECT_EQ(shape.n3[1], (0.0 + g.genes[33]) + g.genes[34] + g.genes[35]);
        CSuperShape reference;
        reference.Create(&rig.context);
        for (int p = 0; p < 12; ++p) reference.Parameters()[p] = shape.Parameters()[p];
        reference.BuildMesh();
        EXPECT_TRUE(RecordingBufferBytes(shape.vertexBuffer) ==
                    RecordingBufferBytes(reference.vertexBuffer));
    }

    CSceneRig rig;
    CTestScene scene;
    Genome before[kPopulationSize];
};

TEST_F(BreedTest, WithoutReseedOrMutationEachSlotTakesSevenDraws) {
    // Per slot: re-seed test, two crossover points (either order, only the
    // remainder by 36 counts), mutation test, blue, green, red.
    std::vector<int> draws;
    for (int s = 0; s < kPopulationSize; ++s) {
        draws.insert(draws.end(), {s, (4 * s + 3) + 36 * s, (35 - 3 * s) + 72, 0, 1000 * s,
                                   1000 * s + 1, 1000 * s + 2});
    }
    const int parentIndex = 4;
    CScriptedRandom random(draws, 0);
    scene.Breed(parentIndex);
    EXPECT_EQ(random.Taken(), 63u);

    for (int s = 0; s < kPopulationSize; ++s) {
        SCOPED_TRACE("slot " + std::to_string(s));
        const int lo = std::min(4 * s + 3, 35 - 3 * s);
        const int hi = std::max(4 * s + 3, 35 - 3 * s);
        for (int i = 0; i < kGenomeSize; ++i) {
            const Genome& from = lo <= i && i <= hi ? before[s] : before[parentIndex];
            EXPECT_EQ(scene.genomes[s].genes[i], from.genes[i]) << "gene " << i;
        }
        // Recoloured, the parent's own slot too.
        EXPECT_EQ(scene.shapes[s].material.Diffuse.b, Channel(1000 * s));
        EXPECT_EQ(scene.shapes[s].material.Diffuse.r, Channel(1000 * s + 2));
        ExpectShapeShowsGenome(s);
    }
}

TEST_F(BreedTest, LaterSlotsCrossWithTheParentAsItWasAtTheClick) {
    scene.reseedRate = 50;
    const int parentIndex = 4;
    // Only the parent's own slot is re-seeded (draw % 100 = 0 < 50); every
    // slot takes genes 0..34 from the parent and gene 35 from itself.
    std::vector<int> draws;
    for (int s = 0; s < kPopulationSize; ++s) {
        draws.push_back(s == parentIndex ? 100 : 99);
        if (s == parentIndex) draws.insert(draws.end(), 24, 32767);
        draws.insert(draws.end(), {35, 35, 50, 0, 0, 0});
    }
    CScriptedRandom random(draws, 0);
    scene.Breed(parentIndex);
    EXPECT_EQ(random.Taken(), 63u + 24u);
    for (int s = 0; s < kPopulationSize; ++s) {
        for (int i = 0; i < 35; ++i)
            EXPECT_EQ(scene.genomes[s].genes[i], before[parentIndex].genes[i]);
        const double own = s == parentIndex ? 40.0 / 3.0 : before[s].genes[35];
        EXPECT_EQ(scene.genomes[s].genes[35], own) << "slot " << s;
    }
}

TEST_F(BreedTest, FullRatesReseedAndMutateEverySlot) {
    scene.mutationRate = 100;
    scene.reseedRate = 100;
    // Per slot: re-seed, 24 genome draws, points 0 and 35 (the child is the
    // re-seeded genome), mutation test, index 6 (an m gene, so a value is
    // drawn), value 32767 (12.0), colour.
    std::vector<int> fresh;
    for (int d = 0; d < 24; ++d) fresh.push_back(d * 1111);
    std::vector<int> draws;
    for (int s = 0; s < kPopulationSize; ++s) {
        draws.push_back(250);
        draws.insert(draws.end(), fresh.begin(), fresh.end());
        draws.insert(draws.end(), {0, 35, 99, 6 + 36, 32767, 7, 8, 9});
    }
    Genome expected;
    {
        CScriptedRandom reference(fresh);
        expected.Randomize();
    }
    expected.genes[6] = 12.0;
    CScriptedRandom random(draws, 0);
    scene.Breed(2);
    EXPECT_EQ(random.Taken(), 297u);
    for (int s = 0; s < kPopulationSize; ++s) {
        for (int i = 0; i < kGenomeSize; ++i)
            EXPECT_EQ(scene.genomes[s].genes[i], expected.genes[i]);
        ExpectShapeShowsGenome(s);
    }
}

}  // namespace
