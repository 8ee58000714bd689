#include "genetic/CGenerationHistory.h"

#include <gtest/gtest.h>

#include <cstring>

#include "platform/Random.h"

namespace {

// Member by member: the struct's tail padding holds whatever was there.
bool Same(const Population& a, const Population& b) {
    return std::memcmp(a.genomes, b.genomes, sizeof a.genomes) == 0 &&
           std::memcmp(a.materials, b.materials, sizeof a.materials) == 0;
}

}  // namespace

// Going back and forth across checkpoints gives what a replay from the seed
// gives, and leaves the random sequence where that replay leaves it.
TEST(GenerationHistory, EveryGenerationIsTheReplayFromTheSeed) {
    constexpr std::size_t kClicks = 2 * CGenerationHistory::kCheckpointInterval + 5;
    std::vector<int> clicks;
    for (std::size_t i = 0; i < kClicks; ++i) clicks.push_back(static_cast<int>((i * 7) % 9));
    const BreedingRates rates{30, 60};
    CGenerationHistory history(4242, rates);

    auto expectReplay = [&](const std::vector<int>& done, std::size_t generation) {
        SCOPED_TRACE("generation " + std::to_string(generation));
        const Population kept = history.At(done, generation);
        const int next = Rand();
        const std::vector<int> prefix(done.begin(), done.begin() + static_cast<long>(generation));
        EXPECT_TRUE(Same(kept, ReplayPopulation(4242, rates, prefix)));
        EXPECT_EQ(next, Rand());
    };
    expectReplay(clicks, kClicks);
    expectReplay(clicks, 0);
    // Undo back past a checkpoint, then click differently from there.
    std::vector<int> changed(clicks.begin(), clicks.begin() + 1500);
    history.Forget(changed.size());
    changed.resize(kClicks, 4);
    expectReplay(changed, kClicks);
    expectReplay(changed, 2 * CGenerationHistory::kCheckpointInterval - 1);
}
