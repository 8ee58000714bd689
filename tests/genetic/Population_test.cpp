// Breeding with locked cells: a locked slot takes none of the draws a breed
// would take for it, and the other slots take theirs in slot order.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "genetic/Decode.h"
#include "genetic/Population.h"
#include "platform/Random.h"

TEST(Population, ALockedSlotTakesNoDrawAndTheOthersBreedAsAlone) {
    for (int locked = 0; locked < kPopulationSize; ++locked) {
        SCOPED_TRACE("cell " + std::to_string(locked) + " locked");
        const BreedingRates rates{40, 40};  // re-seeds and mutations both happen
        Srand(99);
        Population bred;
        SeedPopulation(bred);
        Population alone = bred;
        const unsigned int start = RandState();
        BreedPopulation(bred, 4, rates, LockedCells().set(static_cast<std::size_t>(locked)));
        const unsigned int afterLocked = RandState();

        Srand(start);
        const Genome parent = alone.genomes[4];
        for (int s = 0; s < kPopulationSize; ++s) {
            if (s == locked) continue;
            BreedGenome(parent, alone.genomes[s], rates);
            alone.materials[s] = RandomMaterial();
        }
        EXPECT_EQ(afterLocked, RandState());
        EXPECT_EQ(std::memcmp(&bred, &alone, sizeof bred), 0);
    }
}
