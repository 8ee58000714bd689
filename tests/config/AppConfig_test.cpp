#include "config/AppConfig.h"

#include <gtest/gtest.h>

#include <climits>

#include "support/TempDir.h"

// Every case starts from {0, 1, 2}: a missing file restores the initial
// values, a file keeps whatever fields it does not supply.
TEST(AppConfig, ReadsWhatTheFileSuppliesAndKeepsTheRest) {
    struct Case {
        const char* text;  // null: no file at all
        AppConfig expected;
    };
    const Case cases[] = {
        {nullptr, {1, 800, 600}},
        {"", {0, 1, 2}},
        {"1 1024 768", {1, 1024, 768}},
        {"1 1024", {1, 1024, 2}},
        {"windowed", {0, 1, 2}},
        {"5 640 480 and more\n9 9 9", {5, 640, 480}},  // any nonzero flag; the rest ignored
        {"0 12x 7", {0, 12, 2}},                        // stops at the first non-integer
        {"1 99999999999 -99999999999", {1, INT_MAX, INT_MIN}},  // saturates
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text != nullptr ? c.text : "no file");
        CTempDir dir;
        if (c.text != nullptr) dir.Write("conf.txt", c.text);
        AppConfig config{0, 1, 2};
        ReadAppConfig(config, (dir.Path() / "conf.txt").string().c_str());
        EXPECT_EQ(config.windowed, c.expected.windowed);
        EXPECT_EQ(config.width, c.expected.width);
        EXPECT_EQ(config.height, c.expected.height);
    }
}
