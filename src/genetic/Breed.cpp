// Breeding a generation: every slot of the population is bred anew from the
// clicked individual, decoded, recoloured and its mesh rebuilt before return.
#include "genetic/Decode.h"
#include "genetic/Genome.h"
#include "platform/Random.h"
#include "scene/CSceneMain.h"

void CSceneMain::Breed(int index) {
    // Only the frame's cell loop calls this, with 0..8; anything else would
    // read outside the population, so it breeds nothing.
    if (index < 0 || index >= kPopulationSize) return;

    // The parent as it was at the click: slots after its own still cross with
    // it after its own slot has been overwritten.
    const Genome parent = genomes[index];
    for (int s = 0; s < kPopulationSize; ++s) {
        if (Rand() % 100 < reseedRate) genomes[s].Randomize();
        genomes[s] = parent.Crossover(genomes[s], mutationRate);
        DecodeGenome(genomes[s], shapes[s]);
        RandomizeMaterial(shapes[s]);
        shapes[s].BuildMesh();
    }
}
