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
    ExpectAsTheCLibrary(std::string(400, '0') + "1e-400 3", 'f');       // leading zeros add no size
    ExpectAsTheCLibrary("1." + std::string(400, '0') + "e309 3", 'f');  // nor zeros after the point
    ExpectAsTheCLibrary("infh 2", 'f');
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

// 256 comment lines of 255 bytes, and two more.
std::string EdgeLines()
{
    std::string s;
    for (int i = 0; i < 256; i++)
        s += "#" + std::string(252, 'a') + "\r\n";
    return s + "#" + std::string(99, 'b') + "\r\n#" + std::string(152, 'c') + "\r\n";
}

// Each case of tests/golden/records.txt read by the reader in process, and the comment lines
// whose last CR is the last byte of the first 64 KiB, in the read buffer and in the write
// buffer, and its LF the first byte of the next.
TEST(Units, Records)
{
    std::vector<Case> cases = Cases("records.txt");
    cases.push_back({
        {"what",   "edge"               },
        {"in",     EdgeLines() + "lc4\n"},
        {"copied", EdgeLines()          },
        {"COLOR",  "4"                  }
    });
    EXPECT_EQ(cases.size(), 21u);
    for (const Case &c : cases) {
        Scratch dir;
        WriteFile(dir.At("in"), c.at("in"));
        StateReset();
        ASSERT_TRUE(TextOpen(&fpw, dir.At("out").c_str(), true));
        ASSERT_TRUE(TextOpen(&fp, dir.At("in").c_str(), false));
        QV_PATTERN(0, static_cast<unsigned>(std::stoul(Field(c, "limit", "50000"))));
        TextClose(&fp);
        TextClose(&fpw);
        EXPECT_EQ(ReadFile(dir.At("out")), Field(c, "copied")) << c.at("what");
        for (const auto &[name, want] : c)
            if (name != "what" && name != "in" && name != "limit" && name != "copied") {
                EXPECT_EQ(Value(name), std::stod(want)) << c.at("what") << ": " << name;
            }
    }
}

} // namespace
