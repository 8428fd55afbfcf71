// The field scanner: what each conversion reads, where it stops, what a failure keeps.
#include "reader/scan.h"

#include <charconv>
#include <cmath>
#include <cstring>
#include <gtest/gtest.h>
#include <limits>
#include <random>
#include <string>

namespace
{

struct IntCase {
    std::string text;
    bool        hex;
    bool        ok;
    int         value; // 77 when the variable keeps its value
    int         rest;  // characters left after the field
};

const IntCase kIntCases[] = {
    {"  42 x",                    false, true,  42,              2},
    {"+7",                        false, true,  7,               0},
    {"-13abc",                    false, true,  -13,             3},
    {"\t\v-0",                    false, true,  0,               0},
    {"- 5",                       false, false, 77,              2},
    {"abc",                       false, false, 77,              3},
    {"",                          false, false, 77,              0},
    {"2147483647",                false, true,  2147483647,      0},
    {"2147483648",                false, true,  2147483647,      0},
    {"-2147483648",               false, true,  -2147483647 - 1, 0},
    {"-99999999999999999999999",  false, true,  -2147483647 - 1, 0},
    {"99999999999999999999999 1", false, true,  2147483647,      2},
    {"a",                         true,  true,  10,              0},
    {"1f",                        true,  true,  31,              0},
    {"0x1F",                      true,  true,  31,              0},
    {"0xg",                       true,  true,  0,               2},
    {"ffffffff",                  true,  true,  -1,              0},
    {"-1",                        true,  true,  -1,              0},
    {"123456789",                 true,  true,  -1,              0}, // beyond 32 bits: the largest value
    {"g",                         true,  false, 77,              1},
};

TEST(Scan, Integers)
{
    for (const IntCase &c : kIntCases) {
        Scan sc = ScanFrom(c.text.data(), static_cast<int>(c.text.size()), 1);
        int  v = 77;
        bool ok = c.hex ? ScanHex(sc, v) : ScanInt(sc, v);
        EXPECT_EQ(ok, c.ok) << c.text;
        EXPECT_EQ(v, c.value) << c.text;
        EXPECT_EQ(sc.end - sc.p, c.rest) << c.text;
    }
}

struct DoubleCase {
    std::string text;
    bool        ok;
    double      value; // 77 when the variable keeps its value
    int         rest;
};

const double kInf = std::numeric_limits<double>::infinity();

const DoubleCase kDoubleCases[] = {
    {" 1.5 2",                                 true,  1.5,    2},
    {"-2.5e2x",                                true,  -250.0, 1},
    {"+.5",                                    true,  0.5,    0},
    {"1e",                                     true,  1.0,    1},
    {"1e+x",                                   true,  1.0,    3},
    {"0x1.8p1",                                true,  3.0,    0},
    {"-0x10",                                  true,  -16.0,  0},
    {"0xz",                                    true,  0.0,    2},
    {"inf",                                    true,  kInf,   0},
    {"-Infinity",                              true,  -kInf,  0},
    {"1e400",                                  true,  kInf,   0},
    {"-1e400",                                 true,  -kInf,  0},
    {"1e-400",                                 true,  0.0,    0},
    {"0.0000000000000000000000000000001e-300", true,  0.0,    0},
    {"+-1",                                    false, 77.0,   2},
    {".",                                      false, 77.0,   1},
    {"x1",                                     false, 77.0,   2},
};

TEST(Scan, Doubles)
{
    for (const DoubleCase &c : kDoubleCases) {
        Scan   sc = ScanFrom(c.text.data(), static_cast<int>(c.text.size()), 1);
        double v = 77.0;
        EXPECT_EQ(ScanDouble(sc, v), c.ok) << c.text;
        EXPECT_EQ(v, c.value) << c.text;
        EXPECT_EQ(sc.end - sc.p, c.rest) << c.text;
    }
    Scan   sc = ScanFrom("nan", 3, 1);
    double v = 0.0;
    EXPECT_TRUE(ScanDouble(sc, v));
    EXPECT_TRUE(std::isnan(v));
}

TEST(Scan, AFailedFieldStopsTheRest)
{
    const char *line = "hs 1 2 x 4";
    Scan        sc = ScanFrom(line, 10, 4);
    double      a = 0, b = 0, c = 9, d = 9;
    EXPECT_TRUE(ScanDouble(sc, a));
    EXPECT_TRUE(ScanDouble(sc, b));
    EXPECT_FALSE(ScanDouble(sc, c));
    EXPECT_FALSE(ScanDouble(sc, d));
    EXPECT_EQ(a + b + c + d, 1 + 2 + 9 + 9);
    Scan beyond = ScanFrom(line, 10, 12); // starts past the end: nothing
    int  v = 5;
    EXPECT_FALSE(ScanInt(beyond, v));
    EXPECT_EQ(v, 5);
}

TEST(Scan, ReadLikeAtoiAndAtof)
{
    EXPECT_EQ(ReadInt(" -12x"), -12);
    EXPECT_EQ(ReadInt("x"), 0);
    EXPECT_EQ(ReadInt("4294967296"), 2147483647);
    EXPECT_EQ(ReadDouble("2.5e1"), 25.0);
    EXPECT_EQ(ReadDouble("z"), 0.0);
}

} // namespace

namespace
{

// Plain decimals of every length agree with the general conversion to the last bit.
TEST(Scan, PlainDecimalsRoundLikeTheGeneralConversion)
{
    std::mt19937 rng(11);
    for (int i = 0; i < 200000; i++) {
        std::string text = rng() % 2 ? "-" : "";
        int         digits = 1 + rng() % 18, point = rng() % (digits + 1);
        for (int k = 0; k < digits; k++) {
            if (k == point)
                text += '.';
            text += static_cast<char>('0' + rng() % 10);
        }
        double want = 0;
        std::from_chars(text.data(), text.data() + text.size(), want);
        Scan   sc = ScanFrom(text.data(), static_cast<int>(text.size()), 1);
        double got = 1;
        ASSERT_TRUE(ScanDouble(sc, got)) << text;
        ASSERT_EQ(std::memcmp(&got, &want, sizeof got), 0) << text;
        ASSERT_EQ(sc.p, sc.end) << text;
    }
}

} // namespace
