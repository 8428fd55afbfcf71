// The text layer: line ends translated, pieces cut, the count agreeing with the pieces read.
#include "driver/textio.h"
#include "harness.h"

#include <gtest/gtest.h>
#include <random>
#include <string>

namespace
{

// Pieces of at most cap - 1 characters as TextGets reads them, joined by '|'.
std::string Pieces(const std::string &path, int cap, unsigned *count)
{
    static TextFile t;
    std::string     all;
    char            buf[300];
    EXPECT_TRUE(TextOpen(&t, path.c_str(), false));
    *count = TextCount(&t, cap, 1u << 30);
    EXPECT_TRUE(TextRewind(&t));
    for (int n; (n = TextGets(buf, cap, &t)) > 0;)
        all += std::string(buf, n) + "|";
    TextClose(&t);
    return all;
}

TEST(TextLayer, CountAgreesWithThePiecesRead)
{
    std::mt19937 rng(7);
    const char   alphabet[] = {'a', 'b', '\r', '\n', '#'};
    for (int round = 0; round < 40; round++) {
        std::string bytes;
        size_t      size = rng() % 200000;
        while (bytes.size() < size) {
            size_t run = rng() % (round % 2 ? 600 : 40); // long lines in odd rounds
            for (size_t i = 0; i < run; i++)
                bytes += alphabet[rng() % 3];
            bytes += rng() % 4 ? "\r\n" : "\n";
        }
        Scratch dir;
        WriteFile(dir.At("f"), bytes);
        unsigned    count = 0;
        std::string pieces = Pieces(dir.At("f"), 255, &count);
        EXPECT_EQ(count, std::count(pieces.begin(), pieces.end(), '|')) << round;
    }
}

TEST(TextLayer, WriteEndsEveryLineWithCrLf)
{
    Scratch         dir;
    static TextFile t;
    ASSERT_TRUE(TextOpen(&t, dir.At("f").c_str(), true));
    std::string expect;
    for (int i = 0; i < 30000; i++) { // crosses the buffer many times, at every offset
        std::string line(i % 7, 'x');
        TextWrite(&t, (line + "\n").data(), line.size() + 1);
        expect += line + "\r\n";
    }
    TextWrite(&t, "a\rb", 3);
    EXPECT_TRUE(TextClose(&t));
    EXPECT_TRUE(ReadFile(dir.At("f")) == expect + "a\rb");
}

} // namespace
