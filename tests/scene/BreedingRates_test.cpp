// param.txt: two integers, defaults for what the file does not supply.
#include "scene/BreedingRates.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <filesystem>
#include <string>

#include <unistd.h>

namespace {

struct RatesCase {
    const char* name;
    const char* content;  // null: no file at all
    int mutation;
    int reseed;
};

class BreedingRatesTest : public ::testing::TestWithParam<RatesCase> {};

TEST_P(BreedingRatesTest, ReadsWhatTheFileSupplies) {
    const RatesCase& c = GetParam();
    const std::filesystem::path path =
        std::filesystem::temp_directory_path() /
        ("tessary-param-" + std::string(c.name) + "-" + std::to_string(::getpid()) + ".txt");
    std::filesystem::remove(path);
    if (c.content != nullptr) {
        std::FILE* file = std::fopen(path.c_str(), "w");
        ASSERT_NE(file, nullptr);
        std::fputs(c.content, file);
        std::fclose(file);
    }
    const BreedingRates rates = ReadBreedingRates(path.c_str());
    std::filesystem::remove(path);
    EXPECT_EQ(rates.mutationRate, c.mutation);
    EXPECT_EQ(rates.reseedRate, c.reseed);
}

INSTANTIATE_TEST_SUITE_P(
    Files, BreedingRatesTest,
    ::testing::Values(RatesCase{"missing", nullptr, 10, 50},
                      RatesCase{"blank", "5 100", 5, 100},
                      RatesCase{"lines", "\n  5\r\n100\n", 5, 100},
                      RatesCase{"outOfPercent", "-3 250", -3, 250},
                      RatesCase{"signs", "+4 -0 trailing text", 4, 0},
                      RatesCase{"extraNumbers", "1 2 3", 1, 2},
                      RatesCase{"empty", "", 10, 50},
                      RatesCase{"onlySpace", " \n\t ", 10, 50},
                      RatesCase{"oneNumber", "7", 7, 50},
                      RatesCase{"numberThenText", "12 x 40", 12, 50},
                      RatesCase{"textFirst", "rate 5 100", 10, 50},
                      RatesCase{"loneSign", "- 5", 10, 50},
                      RatesCase{"glued", "30x", 30, 50},
                      RatesCase{"huge", "99999999999999999999 -99999999999999999999", INT_MAX,
                                INT_MIN}),
    [](const ::testing::TestParamInfo<RatesCase>& info) { return std::string(info.param.name); });

}  // namespace
