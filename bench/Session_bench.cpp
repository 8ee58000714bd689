// Making a session's generations again: resuming a long journal replays it
// from the seed, and going back one generation replays from the nearest
// checkpoint.
#include <benchmark/benchmark.h>

#include <vector>

#include "genetic/CGenerationHistory.h"
#include "genetic/Population.h"

namespace {

// A session of `count` clicks on cells drawn from a generator of its own.
std::vector<int> LongSession(std::size_t count) {
    std::vector<int> clicks(count);
    unsigned int state = 12345;
    for (int& cell : clicks) {
        state = state * 1103515245u + 12345u;
        cell = static_cast<int>((state >> 16) % kPopulationSize);
    }
    return clicks;
}

void BM_ReplayTenThousandClicks(benchmark::State& state) {
    const std::vector<int> clicks = LongSession(10000);
    for (auto _ : state) {
        Population population = ReplayPopulation(1733600123u, BreedingRates{}, clicks);
        benchmark::DoNotOptimize(population);
    }
}

// One Backspace at the end of a session of a million clicks, the worst case:
// the undo drops the checkpoint at the last generation, so each one replays
// a whole interval.
void BM_UndoAtTheEndOfAMillionClicks(benchmark::State& state) {
    std::vector<int> clicks = LongSession(1000000);
    CGenerationHistory history(1733600123u, BreedingRates{});
    benchmark::DoNotOptimize(history.At(clicks, clicks.size()));  // resuming builds the checkpoints
    for (auto _ : state) {
        const int undone = clicks.back();
        clicks.pop_back();
        history.Forget(clicks.size());
        Population population = history.At(clicks, clicks.size());
        benchmark::DoNotOptimize(population);
        state.PauseTiming();
        clicks.push_back(undone);
        state.ResumeTiming();
    }
}

}  // namespace

BENCHMARK(BM_ReplayTenThousandClicks)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_UndoAtTheEndOfAMillionClicks)->Unit(benchmark::kMillisecond);
