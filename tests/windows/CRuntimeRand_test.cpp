// On Windows Rand() is the C runtime's rand: its sequence after srand(seed)
// must be the generator the stand-in reproduces, and RandState must follow
// it, or journals and seeds would breed other shapes on Windows.
#include <gtest/gtest.h>

#include <cstdint>

#include "platform/Random.h"

TEST(CRuntimeRand, EqualsTheStandInGeneratorForEverySeed) {
    for (const std::uint32_t seed : {0u, 1u, 2u, 12345u, 0x7FFFFFFFu, 0x80000000u, 0xFFFFFFFFu,
                                     1733600123u}) {
        SCOPED_TRACE(seed);
        std::uint32_t state = seed;
        Srand(seed);
        for (int draw = 0; draw < 5000; ++draw) {
            state = state * 214013u + 2531011u;
            const int expected = static_cast<int>((state >> 16) & 0x7FFFu);
            ASSERT_EQ(Rand(), expected) << "draw " << draw;
        }
        EXPECT_EQ(RandState(), state);
    }
}
