// The routines in process, one table each: the field scanner, the reader's
// record table and the writers' numbers, for what the end-to-end runs do not show.
#include "harness.h"
#include "reader/reader.h"
#include "state/state.h"
#include "text/scan.h"
#include "text/textio.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <gtest/gtest.h>
#include <map>
#include <random>

extern "C" int CScan(const char *text, char conv, double *d, int *i, int *end);

namespace
{

// One field scanned by the scanner and by the C library's sscanf ('f' "%lf", 'd' "%d", 'x'
// "%x"): the same success, the same bits and the same characters used.
void ExpectAsTheCLibrary(const std::string &text, char conv)
{
    double want = 77, got = 77;
    int    wantInt = 77, gotInt = 77, end = -1;
    int    n = CScan(text.c_str(), conv, &want, &wantInt, &end);
    Scan   sc = ScanFrom(text.data(), text.size(), 1);
    bool   k = conv == 'f'   ? ScanDouble(sc, got)
               : conv == 'd' ? ScanInt(sc, gotInt)
                             : ScanHex(sc, gotInt);
    int    at = static_cast<int>(sc.p - text.data());
    ASSERT_EQ(k, n == 1) << conv << " \"" << text << '"';
    ASSERT_TRUE(!k || at == end) << conv << " \"" << text << "\" ends at " << at << ", not " << end;
    ASSERT_TRUE(std::memcmp(&got, &want, sizeof got) == 0 && gotInt == wantInt)
        << conv << " \"" << text << "\": " << got << " " << gotInt << " against " << want << " "
        << wantInt;
}

TEST(Units, FieldsAsTheCLibraryReadsThem)
{
    for (const char *f : {"infinit 3", "- 5", "+-5", "--5", " \t\v\f-7", ".", "-.e1", "1e5000",
                          "1e-5000", "1.e2", "00x1", "1.2.3", "4.9e-324", "2.5e-324", "1e-310"})
        ExpectAsTheCLibrary(f, 'f');
    // "nan(" is read as "nan" and the parenthesis left, as glibc did up to 2.40 (2.41 reads
    // "nan(1)" whole and fails on "nan(" alone): the scanner's own reading, in every C library.
    for (const char *f : {"nan(1) 4", "NaN("}) {
        double d = 0;
        Scan   sc = ScanFrom(f, std::strlen(f), 1);
        EXPECT_TRUE(ScanDouble(sc, d) && std::isnan(d) && sc.p == f + 3) << f;
    }
    // On these fields the Windows C runtime under Wine (msvcrt, which the tool links; ucrtbase
    // alike) disagrees with glibc: it reads "0x" as 0, knows no "inf" or "nan", reports the end
    // of the input for a failed field and stops at an incomplete exponent. The scanner follows
    // glibc; on Windows these and the generated fields are skipped.
    if (!kPosix)
        return;
    for (const char *f :
         {"0x1p 5", "0x1p+ 5", "0x1.8p1", "0X1P3", "-0x1P-3", "0x1p5000", "infinity 2", "0x1g 5"})
        ExpectAsTheCLibrary(f, 'f');
    // Every field of up to five characters over these, for each conversion.
    const char alphabet[] = "019.eE+-xXafinp IN";
    const int  letters = sizeof alphabet - 1;
    for (int len = 0, count = 1; len <= 5; len++, count *= letters)
        for (int i = 0; i < count; i++) {
            std::string text;
            for (int k = 0, r = i; k < len; k++, r /= letters)
                text += alphabet[r % letters];
            for (char conv : {'f', 'd', 'x'})
                ExpectAsTheCLibrary(text, conv);
        }
    std::mt19937 rng(5);
    for (int i = 0; i < 100000; i++) { // plain decimals, read on a path of their own
        std::string text = rng() % 2 ? "-" : "";
        int         digits = 1 + rng() % 18, point = rng() % (digits + 1);
        for (int k = 0; k < digits; k++)
            text += std::string(k == point ? "." : "") + static_cast<char>('0' + rng() % 10);
        ExpectAsTheCLibrary(text + " 1", 'f');
    }
    ExpectAsTheCLibrary("0x1" + std::string(280, '0') + "p-90 3", 'f'); // overflows by its mantissa
}

// Every program-wide variable by name ("GROUP", "PX[1]"), as a double.
double Value(const std::string &name)
{
    std::map<std::string, double> v;
#define VAR(type, n, init) v[#n] = static_cast<double>(n);
#define TAB(type, n, count, init)                                                                  \
    for (std::size_t i = 0; i < n.size(); i++)                                                     \
        v[std::string(#n "[") + std::to_string(i) + "]"] = static_cast<double>(n[i]);
#include "state/state_vars.h"
#undef VAR
#undef TAB
    EXPECT_TRUE(v.count(name)) << name;
    return v[name];
}

// Comment lines whose last CR is the last byte of the first 64 KiB, in the read buffer and in
// the write buffer, and its LF the first byte of the next.
std::string EdgeLines()
{
    std::string s;
    for (int i = 0; i < 256; i++)
        s += "#" + std::string(252, 'a') + "\r\n";
    return s + "#" + std::string(99, 'b') + "\r\n#" + std::string(152, 'c') + "\r\n";
}

// Records in, with a limit of pieces: variables and the command file afterwards.
// clang-format off
const struct {
    std::string                                 input;
    unsigned                                    limit;
    std::vector<std::pair<std::string, double>> expect;
    std::string                                 copied;
} kReaderCases[] = {
    {"hcw 1 2 3 4 5 6 7 8 9 10\nhch 3 4\nhcd .5\nhcx 9\n", 50000,
     {{"MOJI_W[1]", 1}, {"MOJI_W[10]", 10}, {"MOJI_W[0]", 0}, {"MOJI_H[2]", 4}, {"MOJI_H[3]", 0},
      {"MOJI_D[1]", 0.5}}, ""},
    {"hcw2.5 3\n", 50000, {{"MOJI_W[1]", 0.5}, {"MOJI_W[2]", 3}}, ""},
    {"hs5 0x1.8p1 1e400 -1e400 1e-400 +.5 1e +5\n", 50000,
     {{"G_SCALE[0]", 3}, {"G_SCALE[1]", HUGE_VAL}, {"G_SCALE[2]", -HUGE_VAL}, {"G_SCALE[3]", 0},
      {"G_SCALE[4]", 0.5}, {"G_SCALE[5]", 1}, {"G_SCALE[6]", 5}}, ""},
    {"hp1 10 20\nhp2+30 40\nhp2/50 60\n", 50000,
     {{"PX[1]", 10}, {"PY[1]", 20}, {"PX[2]", 50}, {"PY[2]", 60}, {"iPOINT", 2}, {"iPOINTcnt", 3}}, ""},
    {"hp0- 5 6\nhp4 1 2\n", 50000, {{"PX[0]", 5}, {"PY[0]", 6}, {"iPOINT", 4}, {"iPOINTcnt", 2}}, ""},
    {"hp12 1 2\nhp1*1 2\nhp-1 1 2\nhp\n", 50000, {{"iPOINT", 0}, {"iPOINTcnt", 0}}, ""},
    {"hp1 3 4\nhpx 7 8\n", 50000, {{"iPOINT", 1}, {"iPOINTcnt", 2}, {"PX[1]", 7}}, ""},
    {"hq\nhhx1\n 0 0 1 1\n 2 2 2 2\nhq\nhhx2\n", 50000, {{"stepcnt", 1}}, ""},
    {"hq\n nan 0 nan 0\n", 50000, {{"stepcnt", 3}}, ""},
    {"hq\n 1 1 5 5\nhq\n 5 5\n", 50000, {{"stepcnt", 1}, {"ILINEx2", 5}}, ""}, // 5 5 5 5
    {"ci 0 0 10\npt 1 2\ncx 3 4 5 6\npl\nz12\ncc3\ncn5\nci7\n", 50000, {{"MOJISi", 5}}, ""},
    {"# one\nlc3\nbz\nbx\n# a\rb\r\n#two", 50000, {{"COLOR", 3}}, "# one\r\nbz\r\n# a\rb\r\n#two\r\n"},
    {"#" + std::string(299, 'a') + "\r\nlc4\n", 50000, {{"COLOR", 4}}, "#" + std::string(253, 'a') + "\r\n"},
    {"#\n#" + std::string(253, 'a') + "\r\nlc4\n", 50000, {{"COLOR", 4}}, "#\r\n#" + std::string(253, 'a') + "\r\n"},
    {"# one\nlc3\n", 0, {{"COLOR", 1}}, ""},
    {EdgeLines() + "lc4\n", 50000, {{"COLOR", 4}}, EdgeLines()},
    {"# one\nlc3\nlc4\n# two\n", 2, {{"COLOR", 3}}, "# one\r\n"},
    {std::string("\x82\x4f\n\0lc3\nlc4\0\n\r\nlc", 18), 50000, {{"COLOR", 4}, {"COLORi", 4}}, ""},
};
// clang-format on

TEST(Units, Records)
{
    for (const auto &c : kReaderCases) {
        Scratch dir;
        WriteFile(dir.At("in"), c.input);
        StateReset();
        ASSERT_TRUE(TextOpen(&fpw, dir.At("out").c_str(), true));
        ASSERT_TRUE(TextOpen(&fp, dir.At("in").c_str(), false));
        EXPECT_EQ(QV_PATTERN(0, c.limit), 0);
        TextClose(&fp);
        TextClose(&fpw);
        EXPECT_EQ(ReadFile(dir.At("out")), c.copied) << c.input;
        for (const auto &[name, want] : c.expect)
            EXPECT_EQ(Value(name), want) << c.input << ": " << name;
    }
}

} // namespace
