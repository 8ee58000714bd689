#include "genetic/Decode.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "genetic/Genome.h"
#include "shape/CSuperShape.h"
#include "support/ScriptedRandom.h"

TEST(Decode, EachSlotIsTheSumOfItsThreeGenes) {
    // Gene i holds 2^i, so every sum names exactly the genes it came from.
    Genome g;
    for (int i = 0; i < kGenomeSize; ++i) g.genes[i] = std::ldexp(1.0, i);
    const int table[12][3] = {{0, 1, 2},    {18, 19, 20}, {3, 4, 5},    {21, 22, 23},
                              {6, 7, 8},    {24, 25, 26}, {9, 10, 11},  {27, 28, 29},
                              {12, 13, 14}, {30, 31, 32}, {15, 16, 17}, {33, 34, 35}};
    CSuperShape shape;
    shape.material.Power = 7.0f;
    DecodeGenome(g, shape);
    for (int slot = 0; slot < 12; ++slot) {
        const auto& t = table[slot];
        EXPECT_EQ(shape.Parameters()[slot], g.genes[t[0]] + g.genes[t[1]] + g.genes[t[2]])
            << "slot " << slot;
    }
    EXPECT_EQ(shape.material.Power, 7.0f);  // parameters only

    for (int i = 6; i < 9; ++i) g.genes[i] = i - 5.0;
    DecodeGenome(g, shape);
    EXPECT_EQ(shape.m[0], 6.0);
}

TEST(Decode, RandomMaterialTakesBlueGreenRedFromThreeDraws) {
    struct Case {
        int d1, d2, d3;
        float blue, green, red;
    };
    const Case cases[] = {
        {0, 32767, 16384, 0.25f, 1.0f, static_cast<float>(16384 / 32767.0 * 0.75 + 0.25)},
        {32767, 0, 0, 1.0f, 0.25f, 0.25f},
    };
    for (const Case& c : cases) {
        CScriptedRandom random({c.d1, c.d2, c.d3, 999});
        CSuperShape shape;
        const float junk[17] = {9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9};
        static_assert(sizeof junk == sizeof shape.material);
        std::memcpy(&shape.material, junk, sizeof junk);
        RandomizeMaterial(shape);
        EXPECT_EQ(random.Taken(), 3u);
        const D3DMATERIAL9& m = shape.material;
        for (const D3DCOLORVALUE& colour : {m.Diffuse, m.Ambient}) {
            EXPECT_FLOAT_EQ(colour.r, c.red);
            EXPECT_FLOAT_EQ(colour.g, c.green);
            EXPECT_FLOAT_EQ(colour.b, c.blue);
            EXPECT_EQ(colour.a, 0.0f);
        }
        EXPECT_FLOAT_EQ(m.Specular.r, 2 * c.red);
        EXPECT_FLOAT_EQ(m.Specular.g, 2 * c.green);
        EXPECT_FLOAT_EQ(m.Specular.b, 2 * c.blue);
        EXPECT_EQ(m.Specular.a, 0.0f);
        for (float e : {m.Emissive.r, m.Emissive.g, m.Emissive.b, m.Emissive.a}) EXPECT_EQ(e, 0.0f);
        EXPECT_EQ(m.Power, 50.0f);
    }
}
