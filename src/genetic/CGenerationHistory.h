// The generations of one session made again from its seed and clicks, with a
// checkpoint (the population and the random state) kept every
// kCheckpointInterval generations, so that going back one generation replays
// at most that many breeds however long the session is.
#pragma once

#include <cstddef>
#include <vector>

#include "genetic/Population.h"

class CGenerationHistory {
public:
    static constexpr std::size_t kCheckpointInterval = 1000;

    CGenerationHistory(unsigned int seed, const BreedingRates& rates);

    // The population after the first `generation` of `clicks` (at most their
    // count), bred with the rates given at construction. The random sequence
    // is left where that replay ends, so what comes next breeds as it would
    // have live. Checkpoints assume that the clicks before the last kept one
    // are those of the earlier calls: after clicks are taken away, call
    // Forget first.
    Population At(const std::vector<int>& clicks, std::size_t generation);

    // Drops the checkpoints past `generation`, whose clicks may now differ.
    void Forget(std::size_t generation);

private:
    struct Checkpoint {
        Population population;
        unsigned int randState = 0;
    };

    BreedingRates rates;
    std::vector<Checkpoint> checkpoints;  // [i] is generation i * kCheckpointInterval
};
