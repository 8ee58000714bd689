// The heritable description of one supershape: 36 genes, curve by curve,
// each shape parameter the sum of three genes.
#pragma once

constexpr int kGenomeSize = 36;

struct Genome {
    double genes[kGenomeSize];

    // Fills all 36 genes; takes exactly 24 random draws.
    void Randomize();
    // Two-point crossover with `other` then at most one point mutation;
    // takes 3, 4 or 5 draws. Neither operand changes.
    Genome Crossover(const Genome& other, int mutationRate) const;
};
