// Random genomes and the two-point crossover with point mutation. Every
// random decision is one Rand() draw; the number and order of draws are part
// of the behaviour, since a run with a given seed depends on them.
#include "genetic/Genome.h"

#include <algorithm>

#include "platform/Random.h"

namespace {

// The double nearest one third: three of them summed in order give 1.0.
constexpr double kOneThird = 1.0 / 3.0;

double UniformDraw() { return Rand() / static_cast<double>(kRandMax); }

// An `m` gene over its whole range [-6, 12]; Randomize takes a third of it.
double SymmetryGene(double u) { return (u * 18.0) - 6.0; }
// An `n1`, `n2` or `n3` gene over its whole range [0, 40].
double ExponentGene(double u) { return u * 40.0; }

bool IsShapeScaleGene(int i) { return (i >= 0 && i <= 5) || (i >= 18 && i <= 23); }
bool IsSymmetryGene(int i) { return (i >= 6 && i <= 8) || (i >= 24 && i <= 26); }

}  // namespace

void Genome::Randomize() {
    for (int i = 0; i < 6; ++i) {
        genes[i] = kOneThird;
        genes[18 + i] = kOneThird;
    }
    // Curve 0 and curve 1 alternate: genes 6, 24, 7, 25, 8, 26.
    for (int k = 0; k < 3; ++k) {
        genes[6 + k] = SymmetryGene(UniformDraw()) / 3.0;
        genes[24 + k] = SymmetryGene(UniformDraw()) / 3.0;
    }
    // The exponents take the first gene of all six triples, then the second,
    // then the third: 9, 12, 15, 27, 30, 33, then 10, 13, ...
    constexpr int kExponentTriples[] = {9, 12, 15, 27, 30, 33};
    for (int k = 0; k < 3; ++k) {
        for (int first : kExponentTriples) genes[first + k] = ExponentGene(UniformDraw()) / 3.0;
    }
}

Genome Genome::Crossover(const Genome& other, int mutationRate) const {
    const int p = Rand() % kGenomeSize;
    const int q = Rand() % kGenomeSize;
    const int lo = std::min(p, q);
    const int hi = std::max(p, q);

    // Built in a local so that `other` may be the genome the result is
    // assigned to.
    Genome child = *this;
    for (int i = lo; i <= hi; ++i) child.genes[i] = other.genes[i];

    if (Rand() % 100 >= mutationRate) return child;

    const int i = Rand() % kGenomeSize;
    if (IsShapeScaleGene(i)) return child;  // a and b never mutate
    const double u = UniformDraw();
    child.genes[i] = IsSymmetryGene(i) ? SymmetryGene(u) : ExponentGene(u);
    return child;
}
