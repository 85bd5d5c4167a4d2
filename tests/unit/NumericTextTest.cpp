#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
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

// The program reads decimals itself; the C library's strtod is correctly rounded here and is
// the reference, bit for bit: halfway cases, denormals, long and truncated digit strings.
TEST(NumericValue, ReadsDecimalsAsTheNearestDouble) {
    const std::string cases[] = {
        "23.99999999999999999999",
        "23.999999999999998",
        "23.9999999999999982236431605997495353221893310546875",
        "23.99999999999999822364316059974953532218933105468751",
        "58.99999999999999",
        "59.000000000000001",
        "0.1",
        "0.3",
        "9007199254740993",
        "9007199254740993.0000000001",
        "2.2250738585072011e-308",
        "2.2250738585072014e-308",
        "4.9406564584124654e-324",
        "2.4703282292062327e-324",
        "2.4703282292062328e-324",
        "1.7976931348623157e308",
        "1.7976931348623158e308",
        "1.7976931348623159e308",
        "0.000000000000000000000000000000000000000000001e+45",
        "123456789012345678901234567890e-30",
        "1e0000000000000000000000000023",
        "1e-00400",
        "." + std::string(900, '0') + "1e901",
        std::string(810, '1') + "e-809",
        "1" + std::string(799, '0') + "5e-800",
        "1" + std::string(800, '0') + "1e-801",
    };
    for (const auto& text : cases) {
        EXPECT_EQ(NumericValue(text), std::strtod(text.c_str(), nullptr)) << text.substr(0, 60);
    }
    // Many decimals of every size, from a fixed seed.
    std::uint64_t seed = 12345;
    auto next = [&seed](unsigned bound) {
        seed = seed * 6364136223846793005u + 1442695040888963407u;
        return static_cast<unsigned>(seed >> 33) % bound;
    };
    for (int round = 0; round < 20000; ++round) {
        std::string text;
        for (unsigned n = 1 + next(25); n > 0; --n)
            text += static_cast<char>('0' + next(10));
        text.insert(next(static_cast<unsigned>(text.size()) + 1), ".");
        text += "e" + std::to_string(static_cast<int>(next(700)) - 350);
        ASSERT_EQ(NumericValue(text), std::strtod(text.c_str(), nullptr)) << text;
    }
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
