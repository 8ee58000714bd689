#include "app/AppConfig.h"

#include <gtest/gtest.h>

#include <string>

#include "support/TempDir.h"

namespace {

struct ConfigCase {
    const char* name;
    const char* text;  // null: no file at all
    AppConfig expected;
};

class AppConfigFile : public ::testing::TestWithParam<ConfigCase> {};

// Every case starts from {0, 1, 2}: a missing file restores the initial
// values, a file keeps whatever fields it does not supply.
TEST_P(AppConfigFile, ReadsWhatTheFileSuppliesAndKeepsTheRest) {
    const ConfigCase& c = GetParam();
    CTempDir dir;
    if (c.text != nullptr) dir.Write("conf.txt", c.text);

    AppConfig config{0, 1, 2};
    ReadAppConfig(config, (dir.Path() / "conf.txt").string().c_str());
    EXPECT_EQ(config.windowed, c.expected.windowed);
    EXPECT_EQ(config.width, c.expected.width);
    EXPECT_EQ(config.height, c.expected.height);
}

INSTANTIATE_TEST_SUITE_P(
    Inputs, AppConfigFile,
    ::testing::Values(
        ConfigCase{"Missing", nullptr, {1, 800, 600}},
        ConfigCase{"Empty", "", {0, 1, 2}},
        ConfigCase{"Complete", "1 1024 768", {1, 1024, 768}},
        ConfigCase{"MissingHeight", "1 1024", {1, 1024, 2}},
        ConfigCase{"NotANumber", "windowed", {0, 1, 2}},
        ConfigCase{"AnyNonzeroFlagAndTrailingText", "5 640 480 and more\n9 9 9", {5, 640, 480}},
        ConfigCase{"StopsAtFirstNonInteger", "0 12x 7", {0, 12, 2}},
        ConfigCase{"LinesAndTabs", "0\n\t1280\r\n720\n", {0, 1280, 720}},
        ConfigCase{"SignsAndLeadingZeros", "+1 -0 0768", {1, 0, 768}},
        ConfigCase{"NegativeAndZeroSizesKept", "1 -5 0", {1, -5, 0}},
        ConfigCase{"DecimalPointEndsTheNumber", "1 800.5 700", {1, 800, 2}}),
    [](const ::testing::TestParamInfo<ConfigCase>& info) { return info.param.name; });

}  // namespace
