#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "core/NumericText.h"

namespace velt {
namespace {

struct ValueCase {
    const char* text;
    double value;
};

TEST(NumericValue, ReadsTheLongestLeadingNumber) {
    const ValueCase cases[] = {
        {"", 0},        {"abc", 0},     {"00", 0},         {"07", 7},      {"23", 23},       {"24", 24},
        {"59", 59},     {"60", 60},     {"23.5", 23.5},    {"59.5", 59.5}, {"-1", -1},       {"+5", 5},
        {"-0.5", -0.5}, {".5", 0.5},    {"5.", 5},         {"-", 0},       {".", 0},         {"+.", 0},
        {"12abc", 12},  {"1.2.3", 1.2}, {"1e2", 100},      {"1E2", 100},   {"2.5e-1", 0.25}, {"1e+2", 100},
        {"1e", 1},      {"1e+", 1},     {"1ex", 1},        {"e5", 0},      {"1d2", 1},       {"--1", 0},
        {"+-1", 0},     {"1 2", 12},    {" 1\t2\n3", 123}, {"1 . 5", 1.5}, {"- 7", -7},      {"1 e 2", 100},
        {"\r1", 0},     {"１２", 0},    {"&H10", 16},      {"&h1f", 31},   {"&HFF", 255},    {"&H", 0},
        {"&HG", 0},     {"&O17", 15},   {"&o8", 0},        {"&O 17", 15},  {"& H10", 16},    {"&10", 0},
        {"&H10.5", 16}, {"0x10", 0},    {"7:30", 7},       {"23:59", 23},
    };
    for (const auto& c : cases) {
        EXPECT_DOUBLE_EQ(NumericValue(c.text), c.value) << '"' << c.text << '"';
    }
}

TEST(NumericValue, OutOfRangeNumbersStayComparable) {
    EXPECT_TRUE(std::isinf(NumericValue("1e999")));
    EXPECT_GT(NumericValue("1e999"), 0);
    EXPECT_TRUE(std::isinf(NumericValue("-1e999")));
    EXPECT_EQ(NumericValue("1e-999"), 0.0);
    EXPECT_TRUE(std::isinf(NumericValue(std::string(400, '9'))));
    EXPECT_FALSE(std::isnan(NumericValue("nan")));
    EXPECT_EQ(NumericValue("inf"), 0.0);
    // A long run of hexadecimal digits grows without wrapping to a small number.
    EXPECT_GT(NumericValue("&H" + std::string(300, 'F')), 1e300);
}

TEST(TruthValue, AcceptsWordsAndNumbersOnly) {
    struct Case {
        const char* text;
        std::optional<bool> value;
    };
    const Case cases[] = {
        {"True", true},        {"TRUE", true},
        {"true", true},        {"tRuE", true},
        {"False", false},      {"FALSE", false},
        {"false", false},      {"0", false},
        {"00", false},         {"1", true},
        {"30", true},          {"-1", true},
        {"0.0", false},        {"0.5", true},
        {"1e3", true},         {"&H0", false},
        {"&H1", true},         {" True ", true},
        {"\tFalse", false},    {"", std::nullopt},
        {"yes", std::nullopt}, {"Truee", std::nullopt},
        {"1a", std::nullopt},  {"1 2", std::nullopt},
        {"T", std::nullopt},   {"-", std::nullopt},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(TruthValue(c.text), c.value) << '"' << c.text << '"';
    }
}

}  // namespace
}  // namespace velt
