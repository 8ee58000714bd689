// Breeding a generation from one slot: the order of draws, the parent taken
// before any slot changes, re-seeding and mutation at their limits, new
// colours and rebuilt meshes for every slot.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "genetic/Genome.h"
#include "scene/SceneRig.h"
#include "support/ScriptedRandom.h"

namespace {

constexpr double kThird = 1.0 / 3.0;

float Channel(int draw) { return static_cast<float>((draw / 32767.0) * 0.75 + 0.25); }

class BreedTest : public ::testing::Test {
protected:
    void SetUp() override {
        // Init with a varied sequence so that the slots differ from each other.
        std::vector<int> draws;
        for (int i = 0; i < 243; ++i) draws.push_back((i * 4099 + 7) % 32768);
        CScriptedRandom initDraws(draws);
        scene.InitWithRates(&rig.context, 10, 50);
        for (int k = 0; k < kPopulationSize; ++k) before[k] = scene.genomes[k];
    }

    // Checks that slot k's shape shows its genome and that its mesh is the
    // one a fresh shape with the same parameters builds.
    void ExpectShapeShowsGenome(int k) {
        SCOPED_TRACE("slot " + std::to_string(k));
        const Genome& g = scene.genomes[k];
        CSuperShape& shape = scene.shapes[k];
        EXPECT_EQ(shape.m[0], (0.0 + g.genes[6]) + g.genes[7] + g.genes[8]);
        EXPECT_EQ(shape.n3[1], (0.0 + g.genes[33]) + g.genes[34] + g.genes[35]);
        CSuperShape reference;
        reference.Create(&rig.context);
        for (int p = 0; p < 12; ++p) reference.Parameters()[p] = shape.Parameters()[p];
        reference.BuildMesh();
        ASSERT_NE(shape.vertexBuffer, nullptr);
        EXPECT_TRUE(RecordingBufferBytes(shape.vertexBuffer) ==
                    RecordingBufferBytes(reference.vertexBuffer));
    }

    CSceneRig rig;
    CTestScene scene;
    Genome before[kPopulationSize];
};

TEST_F(BreedTest, NoReseedNoMutationTakesSevenDrawsPerSlot) {
    scene.mutationRate = 0;
    scene.reseedRate = 0;
    // Per slot: re-seed test, two crossover points, mutation test, blue,
    // green, red. The points vary by slot and come in either order.
    std::vector<int> draws;
    int lo[kPopulationSize];
    int hi[kPopulationSize];
    for (int s = 0; s < kPopulationSize; ++s) {
        const int p = (4 * s + 3) % 36;
        const int q = 35 - 3 * s;
        lo[s] = std::min(p, q);
        hi[s] = std::max(p, q);
        // Add multiples of 36 so that only the remainder counts.
        draws.insert(draws.end(), {s, p + 36 * s, q + 72, 0, 1000 * s, 1000 * s + 1, 1000 * s + 2});
    }
    const int parentIndex = 4;
    CScriptedRandom random(draws, 0);
    scene.Breed(parentIndex);
    EXPECT_EQ(random.Taken(), 63u);

    const Genome& parent = before[parentIndex];
    for (int s = 0; s < kPopulationSize; ++s) {
        SCOPED_TRACE("slot " + std::to_string(s));
        for (int i = 0; i < kGenomeSize; ++i) {
            const bool fromSlot = lo[s] <= i && i <= hi[s];
            const double expected = fromSlot ? before[s].genes[i] : parent.genes[i];
            EXPECT_EQ(scene.genomes[s].genes[i], expected) << "gene " << i;
        }
        EXPECT_EQ(scene.shapes[s].material.Diffuse.b, Channel(1000 * s));
        EXPECT_EQ(scene.shapes[s].material.Diffuse.g, Channel(1000 * s + 1));
        EXPECT_EQ(scene.shapes[s].material.Diffuse.r, Channel(1000 * s + 2));
        ExpectShapeShowsGenome(s);
    }
    // The parent's own slot keeps the parent genome (crossed with itself).
    for (int i = 0; i < kGenomeSize; ++i) EXPECT_EQ(scene.genomes[parentIndex].genes[i], parent.genes[i]);
}

TEST_F(BreedTest, LaterSlotsCrossWithTheParentAsItWasAtTheClick) {
    scene.mutationRate = 0;
    scene.reseedRate = 50;
    const int parentIndex = 4;
    // Only the parent's own slot passes the re-seed test (draw % 100 = 0);
    // every slot takes genes 0..34 from the parent and gene 35 from itself.
    std::vector<int> draws;
    for (int s = 0; s < kPopulationSize; ++s) {
        if (s == parentIndex) {
            draws.push_back(100);
            for (int d = 0; d < 24; ++d) draws.push_back(32767);  // m 4, n 40/3
        } else {
            draws.push_back(99);
        }
        draws.insert(draws.end(), {35, 35, 50, 0, 0, 0});
    }
    CScriptedRandom random(draws, 0);
    scene.Breed(parentIndex);
    EXPECT_EQ(random.Taken(), 63u + 24u);

    for (int s = 0; s < kPopulationSize; ++s) {
        SCOPED_TRACE("slot " + std::to_string(s));
        for (int i = 0; i < 35; ++i) EXPECT_EQ(scene.genomes[s].genes[i], before[parentIndex].genes[i]);
        const double gene35 = s == parentIndex ? (32767 / 32767.0 * 40.0) / 3.0 : before[s].genes[35];
        EXPECT_EQ(scene.genomes[s].genes[35], gene35);
    }
}

TEST_F(BreedTest, FullRatesReseedAndMutateEverySlot) {
    scene.mutationRate = 100;
    scene.reseedRate = 100;
    // Per slot: re-seed (passes), 24 genome draws, points 0 and 35 (the
    // child is the re-seeded genome), mutation test (passes), index 6 (an m
    // gene, so a value is drawn), value 32767, then the colour.
    std::vector<int> draws;
    std::vector<int> randomized;
    for (int d = 0; d < 24; ++d) randomized.push_back(d * 1111);
    for (int s = 0; s < kPopulationSize; ++s) {
        draws.push_back(250);
        draws.insert(draws.end(), randomized.begin(), randomized.end());
        draws.insert(draws.end(), {0, 35, 99, 6 + 36, 32767, 7, 8, 9});
    }
    Genome fresh;
    {
        CScriptedRandom reference(randomized);
        fresh.Randomize();
    }
    CScriptedRandom random(draws, 0);
    scene.Breed(2);
    EXPECT_EQ(random.Taken(), 297u);

    for (int s = 0; s < kPopulationSize; ++s) {
        SCOPED_TRACE("slot " + std::to_string(s));
        for (int i = 0; i < kGenomeSize; ++i) {
            const double expected = i == 6 ? 12.0 : fresh.genes[i];
            EXPECT_EQ(scene.genomes[s].genes[i], expected) << "gene " << i;
        }
        EXPECT_EQ(scene.genomes[s].genes[0], kThird);
        ExpectShapeShowsGenome(s);
    }
}

TEST_F(BreedTest, EverySlotIsRecolouredEvenWhenItsGenomeStays) {
    scene.mutationRate = 0;
    scene.reseedRate = 0;
    D3DMATERIAL9 old[kPopulationSize];
    for (int k = 0; k < kPopulationSize; ++k) old[k] = scene.shapes[k].material;
    // Points 0 and 0 take only gene 0 from the slot, and it is 1/3 in every
    // genome: the parent's own slot keeps its genome exactly.
    std::vector<int> draws;
    for (int s = 0; s < kPopulationSize; ++s) {
        draws.insert(draws.end(), {99, 0, 0, 99, 32767 - s, 100 + s, 200 + s});
    }
    CScriptedRandom random(draws, 0);
    scene.Breed(0);
    for (int i = 0; i < kGenomeSize; ++i) EXPECT_EQ(scene.genomes[0].genes[i], before[0].genes[i]);
    for (int s = 0; s < kPopulationSize; ++s) {
        SCOPED_TRACE("slot " + std::to_string(s));
        EXPECT_NE(scene.shapes[s].material.Diffuse.r, old[s].Diffuse.r);
        EXPECT_EQ(scene.shapes[s].material.Diffuse.r, Channel(200 + s));
        EXPECT_EQ(scene.shapes[s].material.Specular.b, static_cast<float>(2.0 * (((32767 - s) / 32767.0) * 0.75 + 0.25)));
    }
}

TEST_F(BreedTest, AnIndexOutsideThePopulationBreedsNothing) {
    CScriptedRandom random({}, 0);
    scene.Breed(-1);
    scene.Breed(kPopulationSize);
    EXPECT_EQ(random.Taken(), 0u);
    for (int i = 0; i < kGenomeSize; ++i) EXPECT_EQ(scene.genomes[8].genes[i], before[8].genes[i]);
}

}  // namespace
