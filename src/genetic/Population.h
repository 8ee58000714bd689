// A generation of nine individuals as plain data, bred without any device:
// the genomes and the colours drawn for them. Each operation takes exactly
// the random draws the scene takes for the same step, so a seed and the
// clicks (with the rates and locked cells of each) give every generation
// again, bit for bit.
#pragma once

#include <bitset>
#include <vector>

#include "config/BreedingRates.h"
#include "genetic/Genome.h"
#include "platform/d3d9/d3d9.h"

constexpr int kPopulationSize = 9;

struct Population {
    Genome genomes[kPopulationSize];
    D3DMATERIAL9 materials[kPopulationSize];
};

// The cells a breed leaves as they are: bit k for cell k.
using LockedCells = std::bitset<kPopulationSize>;

// One click of a session: the cell, with the rates and the locked cells in
// effect when it was taken.
struct BreedingStep {
    int cell = 0;
    BreedingRates rates;
    LockedCells locked;
};

// The start-up population: slot by slot a random genome (24 draws) and a
// random colour (3 draws), 243 draws in all.
void SeedPopulation(Population& population);

// One slot of the next generation: the re-seed test (1 draw, then 24 more
// when it re-seeds), then the crossover with `parent` (3 to 5 draws).
void BreedGenome(const Genome& parent, Genome& slot, const BreedingRates& rates);

// The next generation bred from slot `index`: slot by slot BreedGenome, then
// a random colour. A locked slot is passed over: it keeps its genome and
// colour and takes no draw. An index outside 0..8 breeds nothing and draws
// nothing.
void BreedPopulation(Population& population, int index, const BreedingRates& rates,
                     const LockedCells& locked = {});

// Seeds the random sequence with `seed`, makes the start-up population and
// breeds it from each of `clicks` in turn. The random sequence is left where
// the replay ends, so what comes next breeds as it would have live.
Population ReplayPopulation(unsigned int seed, const BreedingRates& rates,
                            const std::vector<int>& clicks);
// The same for steps, each bred with its own rates and locked cells.
Population ReplayPopulation(unsigned int seed, const std::vector<BreedingStep>& steps);
