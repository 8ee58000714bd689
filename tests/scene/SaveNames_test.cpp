#include "scene/SaveNames.h"

#include <gtest/gtest.h>

#include <set>

TEST(SaveNames, TheStemSaysWhatTheShapeIs) {
    const SYSTEMTIME morning{2026, 12, 2, 8, 3, 15, 0, 999};
    const struct {
        SaveSubject subject;
        const char* stem;
    } cases[] = {
        {{"my-session.txt", false, 0, 12, 4, {}}, "my-session-g12-c4"},
        {{"/home/me/breeding/keeper", false, 0, 0, 8, {}}, "keeper-g0-c8"},
        {{"run.2.journal", false, 0, 3, 0, {}}, "run.2-g3-c0"},
        {{"/tmp/.hidden.txt", false, 0, 1, 2, {}}, "hidden-g1-c2"},
        {{"", true, 1733600123u, 12, 4, {}}, "seed-1733600123-g12-c4"},
        {{"", false, 0, 0, 4, morning}, "tessary-20261208-031500-c4"},
    };
    for (const auto& c : cases) EXPECT_EQ(SaveStem(c.subject), c.stem);
}

TEST(SaveNames, AStemTakenGetsTheNextFreeNumber) {
    const struct {
        std::set<std::string> taken;
        const char* free;
    } cases[] = {{{}, "x"}, {{"x"}, "x-2"}, {{"x", "x-2", "x-3"}, "x-4"}, {{"x-2"}, "x"}};
    for (const auto& c : cases) {
        EXPECT_EQ(FreeStem("x", [&](const std::string& s) { return c.taken.count(s) > 0; }),
                  c.free);
    }
}
