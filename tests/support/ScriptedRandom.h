// A scripted random source for tests: hands out the given draws in order,
// then repeats the fallback value, and counts how many draws were taken.
#pragma once

#include <cstddef>
#include <vector>

#include "platform/Random.h"

class CScriptedRandom : public IRandomSource {
public:
    explicit CScriptedRandom(std::vector<int> draws = {}, int fallback = 0)
        : draws(std::move(draws)), fallback(fallback), scope(*this) {}

    int Next() override {
        const int value = taken < draws.size() ? draws[taken] : fallback;
        ++taken;
        return value;
    }

    std::size_t Taken() const { return taken; }

private:
    std::vector<int> draws;
    int fallback;
    std::size_t taken = 0;
    CRandomSourceScope scope;
};
