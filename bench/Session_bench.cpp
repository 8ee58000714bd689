// Making a session's generations again: resuming a long journal replays it
// from the seed, and going back one generation replays from the nearest
// checkpoint.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "genetic/CGenerationHistory.h"
#include "genetic/Journal.h"
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

// Resuming a journal of 10,000 records, one in ten a rate change and one in
// ten a lock or unlock, the rest clicks and now and then an undo: parsing,
// working out what is in effect, and breeding every click with its rates
// and locked cells.
void BM_ResumeTenThousandRecordsWithRatesAndLocks(benchmark::State& state) {
    std::string text = "tessary-journal 1\nseed 1733600123\nrates 10 50\n";
    const std::vector<int> cells = LongSession(10000);
    for (std::size_t i = 0; i < cells.size(); ++i) {
        const std::string cell = std::to_string(cells[i]);
        switch (i % 10) {
            case 3:
                text += "rates " + std::to_string(i % 101) + " " + std::to_string(i % 37) + "\n";
                break;
            case 6: text += (i % 20 == 6 ? "lock " : "unlock ") + cell + "\n"; break;
            case 9: text += i % 30 == 9 ? "undo\n" : "click " + cell + "\n"; break;
            default: text += "click " + cell + "\n";
        }
    }
    for (auto _ : state) {
        Journal journal;
        std::string error;
        if (!ParseJournal(text, &journal, &error)) {
            state.SkipWithError(error.c_str());
            break;
        }
        Population population = ReplayPopulation(journal.seed, StateInEffect(journal).steps);
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
BENCHMARK(BM_ResumeTenThousandRecordsWithRatesAndLocks)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_UndoAtTheEndOfAMillionClicks)->Unit(benchmark::kMillisecond);
