// The routines in process, for what the end-to-end runs do not show: the field scanner against
// the C library, and the reader's record table.
#include "balloon/label.h"
#include "harness.h"
#include "reader/reader.h"
#include "state/state.h"
#include "text/scan.h"
#include "text/textio.h"

#include <cmath>
#include <cstring>
#include <gtest/gtest.h>
#include <map>
#include <random>
#include <type_traits>

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
    const std::vector<Case> fields = Cases("fields.txt");
    EXPECT_EQ(fields.size(), 31u);
    for (const Case &c : fields) {
        const std::string text = c.at("text");
        Scan              sc = ScanFrom(text.data(), text.size(), 1);
        double            d = 0;
        if (c.count("nan")) {
            EXPECT_TRUE(ScanDouble(sc, d) && std::isnan(d) &&
                        sc.p == text.data() + std::stoi(c.at("nan")))
                << c.at("what");
        } else if (kPosix || Field(c, "on") != "posix") {
            ExpectAsTheCLibrary(text, 'f');
        }
    }
    if (!kPosix)
        return; // the Windows C runtime disagrees on many of the generated fields
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
}

// The entries of a table of numbers into v by name and index ("PX[1]"); a table of labels has
// none.
template <typename T, std::size_t N>
void Entries(std::map<std::string, double> &v, const char *name, const std::array<T, N> &table)
{
    if constexpr (std::is_arithmetic_v<T>)
        for (std::size_t i = 0; i < N; i++)
            v[std::string(name) + "[" + std::to_string(i) + "]"] = static_cast<double>(table[i]);
}

// Every program-wide variable by name ("GROUP", "PX[1]"), as a double.
double Value(const std::string &name)
{
    std::map<std::string, double> v;
#define VAR(type, n, init) v[#n] = static_cast<double>(n);
#define TAB(type, n, count, init) Entries(v, #n, n);
#include "state/state_vars.h"
#undef VAR
#undef TAB
    EXPECT_TRUE(v.count(name)) << name;
    return v[name];
}

// Each case of tests/golden/records.txt read by the reader in process.
TEST(Units, Records)
{
    const std::vector<Case> cases = Cases("records.txt");
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

// The label after a label: digits count up with carry in their width, letters of one case as a
// column name; a label that ends otherwise, or whose next would be too long, has none.
TEST(Units, NextLabels)
{
    const struct {
        const char *label, *next; // next: "" for none
    } cases[] = {
        {"7",                "8"        },
        {"9",                "10"       },
        {"099",              "100"      },
        {"0099",             "0100"     },
        {"A-9",              "A-10"     },
        {"R99",              "R100"     },
        {"12A",              "12B"      },
        {"Z",                "AA"       },
        {"AZ",               "BA"       },
        {"b",                "c"        },
        {"zz",               "aaa"      },
        {"aZ",               "aAA"      },
        {"9Z",               "9AA"      },
        {"-",                ""         },
        {"99999999",         "100000000"},
        {"9999999999999999", ""         },
        {"123456789012345Z", ""         },
        {"\x88\x9f",         ""         },
        {"\x88\x41",         ""         },
        {"\x88\x41"
         "1",       "\x88\x41"
         "2"      },
        {"\xb1",             ""         },
        {"ABCDEFGZ",         "ABCDEFHA" },
    };
    for (const auto &c : cases) {
        char next[2 * LABEL_CHARS + 1] = "";
        EXPECT_EQ(NextLabel(c.label, next), c.next[0] != '\0') << c.label;
        EXPECT_STREQ(c.next[0] != '\0' ? next : "", c.next) << c.label;
    }
}
