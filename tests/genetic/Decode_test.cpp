#include "genetic/Decode.h"

#include <gtest/gtest.h>

#include <cmath>

#include "genetic/Genome.h"
#include "shape/CSuperShape.h"
#include "support/ScriptedRandom.h"

TEST(Decode, EachSlotIsTheSumOfItsThreeGenes) {
    Genome g;  // gene i holds 2^i, so every sum names the genes it came from
    for (int i = 0; i < kGenomeSize; ++i) g.genes[i] = std::ldexp(1.0, i);
    const int firstGene[12] = {0, 18, 3, 21, 6, 24, 9, 27, 12, 30, 15, 33};
    CSuperShape shape;
    DecodeGenome(g, shape);
    for (int slot = 0; slot < 12; ++slot) {
        EXPECT_EQ(shape.Parameters()[slot], 7 * std::ldexp(1.0, firstGene[slot])) << slot;
    }
}

TEST(Decode, RandomMaterialTakesBlueGreenRedFromThreeDraws) {
    CScriptedRandom random({0, 32767, 16384, 999});
    CSuperShape shape;
    shape.material.Emissive = {1, 1, 1, 1};
    RandomizeMaterial(shape);
    EXPECT_EQ(random.Taken(), 3u);
    const D3DMATERIAL9& m = shape.material;
    const double red = 16384 / 32767.0 * 0.75 + 0.25;
    for (const D3DCOLORVALUE& c : {m.Diffuse, m.Ambient}) {
        EXPECT_TRUE(c.r == float(red) && c.g == 1.0f && c.b == 0.25f && c.a == 0.0f);
    }
    EXPECT_TRUE(m.Specular.r == float(2 * red) && m.Specular.g == 2.0f && m.Specular.b == 0.5f);
    EXPECT_EQ(m.Specular.a + m.Emissive.r + m.Emissive.g + m.Emissive.b + m.Emissive.a, 0.0f);
    EXPECT_EQ(m.Power, 50.0f);
}
