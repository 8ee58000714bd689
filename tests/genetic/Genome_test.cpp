#include "genetic/Genome.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "genetic/Decode.h"
#include "shape/CSuperShape.h"
#include "support/ScriptedRandom.h"

TEST(Genome, RandomizeTakes24DrawsInGeneOrder) {
    const int order[24] = {6,  24, 7,  25, 8,  26, 9,  12, 15, 27, 30, 33,
                           10, 13, 16, 28, 31, 34, 11, 14, 17, 29, 32, 35};
    std::vector<int> draws;
    for (int k = 0; k < 24; ++k) draws.push_back(k == 0 ? 0 : k == 6 ? 32767 : 1000 * k + 7);
    CScriptedRandom random(draws);
    Genome g;
    g.Randomize();
    EXPECT_EQ(random.Taken(), 24u);
    for (int k = 0; k < 24; ++k) {
        const double u = draws[k] / 32767.0;
        EXPECT_EQ(g.genes[order[k]], k < 6 ? ((u * 18.0) - 6.0) / 3.0 : (u * 40.0) / 3.0) << k;
    }
    EXPECT_EQ(g.genes[6], -2.0);
    EXPECT_EQ(g.genes[9], 40.0 / 3.0);
    for (int i : {0, 1, 2, 3, 4, 5, 18, 19, 20, 21, 22, 23}) EXPECT_EQ(g.genes[i], 1.0 / 3.0);
}

// Parent gene i holds i, `other` gene i holds 100 + i.
TEST(Genome, CrossoverTakesSegmentThenMutatesWithThreeToFiveDraws) {
    struct Case {
        std::vector<int> draws;
        int rate;
        std::size_t taken;
        int lo, hi, mutated;  // segment from other; mutated gene or -1
        double value;
    };
    const Case cases[] = {
        {{5, 10, 50}, 50, 3, 5, 10, -1, 0},            // test fails: 50 is not < 50
        {{46, 5, 99, 20}, 100, 4, 5, 10, -1, 0},       // points mod 36, either order; a/b index
        {{7, 7, 0}, 0, 3, 7, 7, -1, 0},                // one-gene segment; rate 0 never mutates
        {{35, 0, 10}, -5, 3, 0, 35, -1, 0},            // the whole of other
        {{1, 2, 149, 62, 0}, 50, 5, 1, 2, 26, -6.0},   // 149 % 100 < 50; m gene 62 % 36
        {{1, 2, 10, 9, 32767}, 150, 5, 1, 2, 9, 40.0},  // n gene, full width
    };
    Genome parent, other;
    for (int i = 0; i < kGenomeSize; ++i) parent.genes[i] = i, other.genes[i] = 100 + i;
    for (const Case& c : cases) {
        CScriptedRandom random(c.draws, 12345);
        const Genome child = parent.Crossover(other, c.rate);
        EXPECT_EQ(random.Taken(), c.taken) << c.draws[0] << "," << c.draws[1];
        for (int i = 0; i < kGenomeSize; ++i) {
            const double kept = i >= c.lo && i <= c.hi ? 100.0 + i : i;
            EXPECT_EQ(child.genes[i], i == c.mutated ? c.value : kept) << "gene " << i;
        }
    }
}

TEST(Genome, BreedingChainsKeepScaleGenesAndMutateOverWholeRanges) {
    Srand(20240611);
    Genome pool[9];
    for (Genome& g : pool) g.Randomize();
    double lowest = 0, highest = 0;
    for (int step = 0; step < 20000; ++step) {
        Genome& slot = pool[step % 9];
        slot = pool[Rand() % 9].Crossover(slot, 100);
        for (int i = 0; i < kGenomeSize; ++i) {
            const bool isM = i % 18 >= 6 && i % 18 < 9;
            if (i % 18 < 6) continue;
            ASSERT_GE(slot.genes[i], isM ? -6.0 : 0.0) << i;
            ASSERT_LE(slot.genes[i], isM ? 12.0 : 40.0) << i;
            if (isM) lowest = std::min(lowest, slot.genes[i]);
            if (!isM) highest = std::max(highest, slot.genes[i]);
        }
        CSuperShape shape;
        DecodeGenome(slot, shape);
        ASSERT_TRUE(shape.a(0) == 1 && shape.a(1) == 1 && shape.b(0) == 1 && shape.b(1) == 1);
    }
    // Three times the width that Randomize gives a gene.
    EXPECT_LT(lowest, -5.0);
    EXPECT_GT(highest, 39.0);
}
