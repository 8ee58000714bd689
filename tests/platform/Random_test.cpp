#include "platform/Random.h"

#include <gtest/gtest.h>

#include "support/ScriptedRandom.h"

TEST(Random, SeedGivesTheSameSequenceOnEveryPlatform) {
    // state = state * 214013 + 2531011, draw = (state >> 16) & 0x7FFF:
    // seed 1 starts 41, 18467, 6334, 26500, 19169.
    Srand(1);
    const int expected[] = {41, 18467, 6334, 26500, 19169};
    for (int value : expected) EXPECT_EQ(Rand(), value);

    Srand(1);
    EXPECT_EQ(Rand(), 41);
}

TEST(Random, DrawsStayInRangeAndScriptedSourceTakesOver) {
    Srand(12345);
    for (int i = 0; i < 10000; ++i) {
        const int d = Rand();
        ASSERT_GE(d, 0);
        ASSERT_LE(d, kRandMax);
    }
    Srand(7);
    const int first = Rand();
    {
        CScriptedRandom scripted({5, 6}, 0);
        EXPECT_EQ(Rand(), 5);
        EXPECT_EQ(Rand(), 6);
        EXPECT_EQ(Rand(), 0);
        EXPECT_EQ(scripted.Taken(), 3u);
    }
    // The process-wide sequence was not advanced while the script ran.
    Srand(7);
    EXPECT_EQ(Rand(), first);
}
