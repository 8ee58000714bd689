// The two breeding rates: mutation and re-seed probability in percent, each
// compared with a draw of Rand() % 100 (a rate of 0 or less never fires, 100
// or more always does).
#pragma once

#include <algorithm>

constexpr int kDefaultMutationRate = 10;
constexpr int kDefaultReseedRate = 50;

struct BreedingRates {
    int mutationRate = kDefaultMutationRate;
    int reseedRate = kDefaultReseedRate;
};

// The same rates within 0..100, which breed exactly as the given ones do.
inline BreedingRates ClampedRates(const BreedingRates& rates) {
    return {std::clamp(rates.mutationRate, 0, 100), std::clamp(rates.reseedRate, 0, 100)};
}
