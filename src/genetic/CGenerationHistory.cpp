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

Population CGenerationHistory::At(const std::vector<int>& clicks, std::size_t generation) {
    generation = std::min(generation, clicks.size());
    const std::size_t kept = std::min(generation / kCheckpointInterval, checkpoints.size() - 1);
    Population population = checkpoints[kept].population;
    Srand(checkpoints[kept].randState);
    for (std::size_t g = kept * kCheckpointInterval; g < generation;) {
        BreedPopulation(population, clicks[g], rates);
        ++g;
        if (g % kCheckpointInterval == 0 && g / kCheckpointInterval == checkpoints.size()) {
            checkpoints.push_back({population, RandState()});
        }
    }
    return population;
}

void CGenerationHistory::Forget(std::size_t generation) {
    checkpoints.resize(std::min(checkpoints.size(), generation / kCheckpointInterval + 1));
}
