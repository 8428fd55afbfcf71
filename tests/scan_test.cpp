// The field scanner, where the records do not show it: where a field stops, and plain decimals
// read on their own path that must round exactly as the general conversion does.
#include "text/scan.h"

#include <charconv>
#include <cstring>
#include <gtest/gtest.h>
#include <limits>
#include <random>
#include <string>

namespace
{

TEST(Scan, WhereAFieldStops)
{
    const double kInf = std::numeric_limits<double>::infinity();
    struct {
        std::string text;
        char        kind; // 'd' "%d", 'x' "%x", 'f' "%lf"
        bool        ok;
        double      value; // 77 when the variable keeps its value
        int         rest;  // characters left after the field
    } const cases[] = {
        {"- 5",       'd', false, 77,    2},
        {"-13abc",    'd', true,  -13,   3},
        {"0xg",       'x', true,  0,     2},
        {"0x1F z",    'x', true,  31,    2},
        {"0xz",       'f', true,  0,     2},
        {"-0x10",     'f', true,  -16,   0},
        {"-Infinity", 'f', true,  -kInf, 0},
        {"+-1",       'f', false, 77,    2},
        {".",         'f', false, 77,    1},
    };
    for (const auto &c : cases) {
        Scan   sc = ScanFrom(c.text.data(), static_cast<int>(c.text.size()), 1);
        int    i = 77;
        double f = 77;
        bool   ok = c.kind == 'd'   ? ScanInt(sc, i)
                    : c.kind == 'x' ? ScanHex(sc, i)
                                    : ScanDouble(sc, f);
        EXPECT_EQ(ok, c.ok) << c.text;
        EXPECT_EQ(c.kind == 'f' ? f : i, c.value) << c.text;
        EXPECT_EQ(sc.end - sc.p, c.rest) << c.text;
    }
}

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
