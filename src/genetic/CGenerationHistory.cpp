#include "genetic/CGenerationHistory.h"

#include <algorithm>

#include "platform/Random.h"

CGenerationHistory::CGenerationHistory(unsigned int seed, const BreedingRates& rates)
    : rates(rates) {
    Srand(seed);
    Checkpoint start;
    SeedPopulation(start.population);
    start.randState = RandState();
    checkpoints.push_back(start);
}

template <typename Breed>
Population CGenerationHistory::Replay(std::size_t generation, Breed breed) {
    const std::size_t kept = std::min(generation / kCheckpointInterval, checkpoints.size() - 1);
    Population population = checkpoints[kept].population;
    Srand(checkpoints[kept].randState);
    for (std::size_t g = kept * kCheckpointInterval; g < generation;) {
        breed(population, g);
        ++g;
        if (g % kCheckpointInterval == 0 && g / kCheckpointInterval == checkpoints.size()) {
            checkpoints.push_back({population, RandState()});
        }
    }
    return population;
}

Population CGenerationHistory::At(const std::vector<BreedingStep>& steps,
                                  std::size_t generation) {
    return Replay(std::min(generation, steps.size()), [&steps](Population& population,
                                                               std::size_t g) {
        BreedPopulation(population, steps[g].cell, steps[g].rates, steps[g].locked);
    });
}

Population CGenerationHistory::At(const std::vector<int>& clicks, std::size_t generation) {
    return Replay(std::min(generation, clicks.size()),
                  [&clicks, this](Population& population, std::size_t g) {
                      BreedPopulation(population, clicks[g], rates);
                  });
}

void CGenerationHistory::Forget(std::size_t generation) {
    checkpoints.resize(std::min(checkpoints.size(), generation / kCheckpointInterval + 1));
}
