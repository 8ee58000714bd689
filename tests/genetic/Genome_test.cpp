#include "genetic/Genome.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <tuple>
#include <vector>

#include "genetic/Decode.h"
#include "shape/CSuperShape.h"
#include "support/ScriptedRandom.h"

namespace {

Genome Numbered(double base) {
    Genome g;
    for (int i = 0; i < kGenomeSize; ++i) g.genes[i] = base + i;
    return g;
}

double U(int draw) { return draw / 32767.0; }

}  // namespace

TEST(Genome, RandomizeFillsGenesInDrawOrder) {
    const int fillOrder[24] = {6,  24, 7,  25, 8,  26, 9,  12, 15, 27, 30, 33,
                               10, 13, 16, 28, 31, 34, 11, 14, 17, 29, 32, 35};
    std::vector<int> draws;
    for (int k = 0; k < 24; ++k) draws.push_back(1000 * k + 7);
    CScriptedRandom random(draws);
    Genome g;
    g.Randomize();
    EXPECT_EQ(random.Taken(), 24u);
    for (int k = 0; k < 24; ++k) {
        const int gene = fillOrder[k];
        const double expected = k < 6 ? ((U(draws[k]) * 18.0) - 6.0) / 3.0 : (U(draws[k]) * 40.0) / 3.0;
        EXPECT_EQ(g.genes[gene], expected) << "gene " << gene;
    }
    for (int i : {0, 1, 2, 3, 4, 5, 18, 19, 20, 21, 22, 23}) EXPECT_EQ(g.genes[i], 1.0 / 3.0);
}

TEST(Genome, RandomizeExtremeDrawsGiveRangeEnds) {
    for (const auto& [draw, mGene, nGene] : {std::tuple{0, -2.0, 0.0}, {32767, 4.0, 40.0 / 3.0}}) {
        CScriptedRandom random({}, draw);
        Genome g;
        g.Randomize();
        for (int i : {6, 7, 8, 24, 25, 26}) EXPECT_EQ(g.genes[i], mGene);
        for (int i = 9; i < 18; ++i) EXPECT_EQ(g.genes[i], nGene);
        for (int i = 27; i < 36; ++i) EXPECT_EQ(g.genes[i], nGene);
    }
}

// Parent genes are i, `other` genes 100 + i; the mutated gene and value are
// given when one is expected.
TEST(Genome, CrossoverTakesSegmentAndMutatesWithExactDraws) {
    struct Case {
        std::vector<int> draws;
        int rate;
        std::size_t taken;
        int lo, hi;       // segment from other
        int mutated;      // -1: none
        double value;
    };
    const Case cases[] = {
        {{5, 10, 50}, 50, 3, 5, 10, -1, 0},           // test fails: 50 % 100 >= 50
        {{46, 5, 99}, 100, 4, 5, 10, -1, 0},          // mod 36, reversed; index 3 (a/b) follows
        {{7, 7, 0}, 0, 3, 7, 7, -1, 0},               // equal points; rate 0 never mutates
        {{0, 35, 100}, -5, 3, 0, 35, -1, 0},          // whole genome; negative rate
        {{35, 0, 99, 20}, 150, 4, 0, 35, -1, 0},      // index on an a/b gene: no value draw
        {{1, 2, 149, 6, 0}, 50, 5, 1, 2, 6, -6.0},    // 149 % 100 < 50; m gene, low end
        {{1, 2, 49, 26 + 36, 32767}, 50, 5, 1, 2, 26, 12.0},
        {{1, 2, 10, 9, 32767}, 11, 5, 1, 2, 9, 40.0},  // n gene, top end
        {{1, 2, 10, 35, 16384}, 11, 5, 1, 2, 35, U(16384) * 40.0},
    };
    const Genome parent = Numbered(0), other = Numbered(100);
    for (const Case& c : cases) {
        CScriptedRandom random(c.draws, 3);  // fallback 3: an a/b index
        const Genome child = parent.Crossover(other, c.rate);
        EXPECT_EQ(random.Taken(), c.taken) << "draws " << c.draws[0] << "," << c.draws[1];
        for (int i = 0; i < kGenomeSize; ++i) {
            const double expected = i == c.mutated ? c.value : (i >= c.lo && i <= c.hi ? 100.0 + i : i);
            EXPECT_EQ(child.genes[i], expected) << "gene " << i;
        }
        EXPECT_EQ(parent.genes[3], 3.0);
        EXPECT_EQ(other.genes[3], 103.0);
    }
}

TEST(Genome, LongBreedingChainsKeepShapeScaleAndMutateWithinWholeRange) {
    Srand(20240611);
    Genome pool[9];
    for (Genome& g : pool) g.Randomize();
    double mMin = 0, mMax = 0, nMax = 0;
    for (int step = 0; step < 20000; ++step) {
        const Genome& parent = pool[Rand() % 9];
        Genome& slot = pool[step % 9];
        slot = parent.Crossover(slot, 100);
        for (int i : {6, 7, 8, 24, 25, 26}) {
            mMin = std::min(mMin, slot.genes[i]);
            mMax = std::max(mMax, slot.genes[i]);
            ASSERT_GE(slot.genes[i], -6.0);
            ASSERT_LE(slot.genes[i], 12.0);
        }
        for (int i = 0; i < kGenomeSize; ++i) {
            if (i % 18 >= 9) {
                nMax = std::max(nMax, slot.genes[i]);
                ASSERT_GE(slot.genes[i], 0.0);
                ASSERT_LE(slot.genes[i], 40.0);
            }
        }
        CSuperShape shape;
        DecodeGenome(slot, shape);
        ASSERT_EQ(shape.a[0], 1.0);
        ASSERT_EQ(shape.a[1], 1.0);
        ASSERT_EQ(shape.b[0], 1.0);
        ASSERT_EQ(shape.b[1], 1.0);
    }
    // Mutation draws from three times the width that Randomize uses.
    EXPECT_LT(mMin, -5.0);
    EXPECT_GT(mMax, 11.0);
    EXPECT_GT(nMax, 39.0);
}

TEST(Genome, CrossoverWithItselfChangesOnlyTheMutatedGene) {
    Srand(99);
    Genome g;
    g.Randomize();
    for (int k = 0; k < 500; ++k) {
        const Genome child = g.Crossover(g, 30);
        int changed = 0;
        for (int i = 0; i < kGenomeSize; ++i) changed += child.genes[i] != g.genes[i];
        ASSERT_LE(changed, 1);
    }
}
