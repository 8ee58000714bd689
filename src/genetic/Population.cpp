#include "genetic/Population.h"

#include "genetic/Decode.h"
#include "platform/Random.h"

void SeedPopulation(Population& population) {
    for (int s = 0; s < kPopulationSize; ++s) {
        population.genomes[s].Randomize();
        population.materials[s] = RandomMaterial();
    }
}

void BreedGenome(const Genome& parent, Genome& slot, const BreedingRates& rates) {
    if (Rand() % 100 < rates.reseedRate) slot.Randomize();
    slot = parent.Crossover(slot, rates.mutationRate);
}

void BreedPopulation(Population& population, int index, const BreedingRates& rates,
                     const LockedCells& locked) {
    if (index < 0 || index >= kPopulationSize) return;
    // Slots after the parent's own still cross with the parent as it was.
    const Genome parent = population.genomes[index];
    for (int s = 0; s < kPopulationSize; ++s) {
        if (locked[static_cast<std::size_t>(s)]) continue;
        BreedGenome(parent, population.genomes[s], rates);
        population.materials[s] = RandomMaterial();
    }
}

Population ReplayPopulation(unsigned int seed, const BreedingRates& rates,
                            const std::vector<int>& clicks) {
    Srand(seed);
    Population population;
    SeedPopulation(population);
    for (const int cell : clicks) BreedPopulation(population, cell, rates);
    return population;
}

Population ReplayPopulation(unsigned int seed, const std::vector<BreedingStep>& steps) {
    Srand(seed);
    Population population;
    SeedPopulation(population);
    for (const BreedingStep& step : steps) {
        BreedPopulation(population, step.cell, step.rates, step.locked);
    }
    return population;
}
