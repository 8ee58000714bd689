// The main scene's set-up, counters and breeding: the rates file, the draws
// taken in slot order, the tick counters, and the order of draws and the
// parent copy of Breed.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <string>
#include <vector>

#include "config/ParamFile.h"
#include "scene/SceneRig.h"
#include "support/TempDir.h"

namespace {

float Channel(int draw) { return static_cast<float>((draw / 32767.0) * 0.75 + 0.25); }

TEST(BreedingRates, ReadsWhatTheFileSuppliesAndDefaultsTheRest) {
    struct Case {
        const char* content;  // null: no file
        int mutation, reseed;
    };
    const Case cases[] = {{nullptr, 10, 50},     {"5 100", 5, 100},      {"-3 250 9", -3, 250},
                          {"", 10, 50},          {"7", 7, 50},           {"12 x 40", 12, 50},
                          {"rate 5 100", 10, 50}, {"- 5", 10, 50},
                          {"99999999999 -99999999999", INT_MAX, INT_MIN}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.content != nullptr ? c.content : "(no file)");
        CTempDir dir;
        if (c.content != nullptr) dir.Write("param.txt", c.content);
        const BreedingRates rates = ReadBreedingRates((dir.Path() / "param.txt").c_str());
        EXPECT_EQ(rates.mutationRate, c.mutation);
        EXPECT_EQ(rates.reseedRate, c.reseed);
    }
}

TEST(SceneInit, Takes243DrawsSlotBySlotAndResetsTheCounters) {
    CSceneRig rig;
    const std::vector<int> draws = Spread(243);
    CTestScene scene;
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
        Genome want;
        CScriptedRandom random(std::vector<int>(first, first + 24));
        want.Randomize();
        EXPECT_TRUE(SameGenes(scene.genomes[k], want));
        EXPECT_EQ(scene.shapes[k].material.Diffuse.b, Channel(first[24]));
        EXPECT_EQ(scene.shapes[k].material.Diffuse.r, Channel(first[26]));
        EXPECT_EQ(scene.shapes[k].m(1), want.genes[24] + want.genes[25] + want.genes[26]);
    }
    EXPECT_EQ(scene.FrameCounter(), 0);
    EXPECT_EQ(scene.ClickCooldown(), 0);
}

TEST(SceneUpdate, FrameCounterWrapsAndCooldownStopsAtZero) {
    CTestScene scene;
    scene.frameCounter = INT_MAX - 2;
    scene.clickCooldown = 2;
    scene.Update();
    EXPECT_EQ(scene.FrameCounter(), INT_MAX - 1);
    EXPECT_EQ(scene.ClickCooldown(), 1);
    scene.Update();
    EXPECT_EQ(scene.FrameCounter(), 0);
    scene.Update();
    EXPECT_EQ(scene.ClickCooldown(), 0);
}

class BreedTest : public ::testing::Test {
protected:
    BreedTest() { std::copy(scene.genomes, scene.genomes + kPopulationSize, before); }

    // The shape shows its genome: decoded, and its mesh rebuilt from it.
    void ExpectShapeShowsGenome(int k) {
        const Genome& g = scene.genomes[k];
        CSuperShape& shape = scene.shapes[k];
        EXPECT_EQ(shape.n3(1), (0.0 + g.genes[33]) + g.genes[34] + g.genes[35]);
        CSuperShape reference;
        reference.Create(&rig.context);
        std::copy(shape.Parameters(), shape.Parameters() + 12, reference.Parameters());
        reference.BuildMesh();
        EXPECT_TRUE(RecordingBufferBytes(shape.vertexBuffer) ==
                    RecordingBufferBytes(reference.vertexBuffer));
    }

    CSceneRig rig;
    CTestScene& scene = rig.scene;
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
    CScriptedRandom random(draws, 0);
    scene.Breed(4);
    EXPECT_EQ(random.Taken(), 63u);
    for (int s = 0; s < kPopulationSize; ++s) {
        SCOPED_TRACE("slot " + std::to_string(s));
        const int lo = std::min(4 * s + 3, 35 - 3 * s), hi = std::max(4 * s + 3, 35 - 3 * s);
        for (int i = 0; i < kGenomeSize; ++i) {
            const Genome& from = lo <= i && i <= hi ? before[s] : before[4];
            EXPECT_EQ(scene.genomes[s].genes[i], from.genes[i]) << "gene " << i;
        }
        // Recoloured, the parent's own slot too.
        EXPECT_EQ(scene.shapes[s].material.Diffuse.b, Channel(1000 * s));
        EXPECT_EQ(scene.shapes[s].material.Diffuse.r, Channel(1000 * s + 2));
        ExpectShapeShowsGenome(s);
    }
}

TEST_F(BreedTest, FullRatesReseedAndMutateEverySlotCrossingWithTheParentAsItWas) {
    scene.mutationRate = 100;
    scene.reseedRate = 100;
    // Per slot: re-seed (250 % 100 < 100), 24 genome draws, points 35 and
    // 35 (gene 35 from the re-seeded slot, the rest from the parent),
    // mutation test, index 6 (an m gene, so a value is drawn), value 32767
    // (12.0), colour. The parent's own slot 2 is re-seeded first: later
    // slots must still cross with the parent as it was at the click.
    std::vector<int> fresh;
    for (int d = 0; d < 24; ++d) fresh.push_back(d * 1111);
    std::vector<int> draws;
    for (int s = 0; s < kPopulationSize; ++s) {
        draws.push_back(250);
        draws.insert(draws.end(), fresh.begin(), fresh.end());
        draws.insert(draws.end(), {35, 35, 99, 6 + 36, 32767, 7, 8, 9});
    }
    Genome expected = before[2];
    {
        CScriptedRandom reference(fresh);
        Genome reseeded;
        reseeded.Randomize();
        expected.genes[35] = reseeded.genes[35];
    }
    expected.genes[6] = 12.0;
    CScriptedRandom random(draws, 0);
    scene.Breed(2);
    EXPECT_EQ(random.Taken(), 297u);
    for (int s = 0; s < kPopulationSize; ++s) {
        EXPECT_TRUE(SameGenes(scene.genomes[s], expected)) << "slot " << s;
        ExpectShapeShowsGenome(s);
    }
}

}  // namespace
