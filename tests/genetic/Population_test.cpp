// A locked slot takes none of the draws a breed would take for it; the
// others breed in slot order as if it were not there.
#include <gtest/gtest.h>

#include <cstring>

#include "genetic/Decode.h"
#include "genetic/Population.h"
#include "platform/Random.h"

TEST(Population, ALockedSlotTakesNoDrawAndTheOthersBreedAsAlone) {
    const BreedingRates rates{40, 40};  // re-seeds and mutations both happen
    for (std::size_t locked = 0; locked < kPopulationSize; ++locked) {
        Srand(99);
        Population bred;
        SeedPopulation(bred);
        Population alone = bred;
        const unsigned int start = RandState();
        BreedPopulation(bred, 4, rates, LockedCells().set(locked));
        const unsigned int end = RandState();
        Srand(start);
        const Genome parent = alone.genomes[4];
        for (std::size_t s = 0; s < kPopulationSize; ++s) {
            if (s == locked) continue;
            BreedGenome(parent, alone.genomes[s], rates);
            alone.materials[s] = RandomMaterial();
        }
        EXPECT_EQ(RandState(), end) << "cell " << locked << " locked";
        EXPECT_EQ(std::memcmp(bred.genomes, alone.genomes, sizeof bred.genomes), 0);
        EXPECT_EQ(std::memcmp(bred.materials, alone.materials, sizeof bred.materials), 0);
    }
}
