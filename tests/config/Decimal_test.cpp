#include "config/Decimal.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>

TEST(Decimal, AWholeNumberIsDigitsOnlyWithinItsRange) {
    struct Case {
        const char* text;
        bool accepted;
        long long value;
    };
    const Case cases[] = {
        {"16", true, 16},      {"0", true, 0},        {"-7", true, -7},
        {"0x10", false, 0},    {" 5", false, 0},      {"5 ", false, 0},
        {"+5", false, 0},      {"-", false, 0},       {"", false, 0},
        {"1e3", false, 0},     {"101", false, 0},     {"99999999999999999999", false, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        long long value = 42;
        EXPECT_EQ(ParseDecimal(std::string_view(c.text), -100LL, 100LL, &value), c.accepted);
        EXPECT_EQ(value, c.accepted ? c.value : 42);
    }
    std::uint32_t seed = 0;
    EXPECT_FALSE(ParseDecimal(std::string_view("-0"), 0u, UINT32_MAX, &seed));
    EXPECT_TRUE(ParseDecimal(std::string_view("4294967295"), 0u, UINT32_MAX, &seed));
    double size = 0.0;
    EXPECT_TRUE(ParseDecimal(std::string_view("0.5"), 0.01, 1e5, &size));
    for (const char* refused : {"1e-42", "inf", "nan", "0x1p3", "1e6", " 1", "1,5"}) {
        EXPECT_FALSE(ParseDecimal(std::string_view(refused), 0.01, 1e5, &size)) << refused;
    }
}
