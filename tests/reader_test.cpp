// The element file reader, in process: input records in, program state and copied lines out.
#include "harness.h"
#include "reader/reader.h"
#include "state/state.h"
#include "text/textio.h"

#include <cmath>
#include <gtest/gtest.h>
#include <map>
#include <string>
#include <vector>

namespace
{

// Every program-wide variable by name ("GROUP", "PX[1]"), as a double.
double Value(const std::string &name)
{
    std::map<std::string, double> v;
#define VAR(type, n, init) v[#n] = static_cast<double>(n);
#define TAB(type, n, count, init)                                                                  \
    for (int i = 0; i < (count); i++)                                                              \
        v[std::string(#n "[") + std::to_string(i) + "]"] = static_cast<double>(n[i]);
#include "state/state_vars.h"
#undef VAR
#undef TAB
    EXPECT_TRUE(v.count(name)) << name;
    return v[name];
}

struct ReaderCase {
    const char                                 *what;
    std::string                                 input;
    unsigned                                    limit;
    std::vector<std::pair<std::string, double>> expect;
    std::string                                 copied; // the command file afterwards
};

// clang-format off
const ReaderCase kReaderCases[] = {
    // Attributes, the first-value rule and its 20 exception, integer fields and their limits
    {"attributes", "lga\nly1f\nlt-4\npnb\ncc3\nlg3\n", 50000,
     {{"GROUP", 3}, {"GROUPi", 10}, {"LAYERi", 31}, {"TYPEi", -4}, {"TENSi", 11}, {"MOJIKi", 3}}, ""},
    {"first values", "lc\nlc7\nlt20\nlt5\nlt6\nLG5\nlG5\n", 50000,
     {{"COLOR", 7}, {"COLORi", 1}, {"TYPE", 6}, {"TYPEi", 5}, {"GROUPi", 20}}, ""},
    {"32-bit limits", "lc99999999999\nlt-99999999999\nlg123456789\nly-1\npn0x1F\n", 50000,
     {{"COLOR", 2147483647}, {"TYPE", -2147483648.0}, {"GROUP", -1}, {"LAYER", -1}, {"TENS", 31}}, ""},
    // Text style records
    {"cn then cn0", "cn3\ncn0 2.5 3 0.5 1\n", 50000,
     {{"MOJIS", 0}, {"MOJISi", 3}, {"MOJIWi", -20}, {"MOJI_W[0]", 2.5}, {"MOJI_C[0]", 1}}, ""},
    {"cn0 first", "cn0 2.5 3 0.5 1\ncn4\n", 50000,
     {{"MOJIS", 4}, {"MOJISi", 0}, {"MOJIWi", 2.5}, {"MOJIHi", 3}, {"MOJIDi", 0.5}, {"MOJICi", 1}}, ""},
    {"cn0 partial, quoted cn", "cn0 1.5 x 9\ncn\"abc\n", 50000,
     {{"MOJIWi", 1.5}, {"MOJIHi", 0}, {"MOJIS", 0}, {"MOJISi", 0}}, ""},
    {"text sizes", "hcw 1 2 3 4 5 6 7 8 9 10\nhch 3 4\nhcd .5\nhcx 9\n", 50000,
     {{"MOJI_W[1]", 1}, {"MOJI_W[10]", 10}, {"MOJI_W[0]", 0}, {"MOJI_H[2]", 4}, {"MOJI_H[3]", 0},
      {"MOJI_D[1]", 0.5}}, ""},
    // Group scales and the double fields: a field that does not convert stops the record
    {"hs partial", "hs 2 3\n", 50000,
     {{"G_SCALE[0]", 2}, {"G_SCALE[1]", 3}, {"G_SCALE[2]", 1}}, ""},
    {"hs numbers", "hs5 0x1.8p1 1e400 -1e400 1e-400 +.5 1e +5\n", 50000,
     {{"G_SCALE[0]", 3}, {"G_SCALE[1]", HUGE_VAL}, {"G_SCALE[2]", -HUGE_VAL}, {"G_SCALE[3]", 0},
      {"G_SCALE[4]", 0.5}, {"G_SCALE[5]", 1}, {"G_SCALE[6]", 5}}, ""},
    // Point records
    {"points", "hp1 10 20\nhp2+30 40\nhp2/50 60\n", 50000,
     {{"PX[1]", 10}, {"PY[1]", 20}, {"PX[2]", 50}, {"PY[2]", 60}, {"iPOINT", 2}, {"iPOINTcnt", 3}}, ""},
    {"point 5, marker -", "hp0- 5 6\nhp5 1 2\n", 50000,
     {{"PX[0]", 5}, {"PY[0]", 6}, {"iPOINT", 5}, {"iPOINTcnt", 2}}, ""},
    {"no marker", "hp12 1 2\nhp1*1 2\nhp-1 1 2\nhp\n", 50000,
     {{"iPOINT", 0}, {"iPOINTcnt", 0}}, ""},
    {"number fails", "hp1 3 4\nhpx 7 8\n", 50000,
     {{"iPOINT", 1}, {"iPOINTcnt", 2}, {"PX[1]", 7}}, ""},
    // Stages and other records
    {"stages", "hq\nhhx1\n 0 0 1 1\n 2 2 2 2\n nan 0 nan 0\nhq\nhhx2\n", 50000,
     {{"stepcnt", 1}, {"iLine_cnt", 2}}, ""},
    {"other records", "ci 0 0 10\npt 1 2\ncx 3 4 5 6\npl\npl\nz12\n", 50000,
     {{"CR", 10}, {"EK", 360}, {"HP", -2}, {"iCi_cnt", 1}, {"KX[1]", 3}, {"KY[5]", 6}, {"iPLcnt", 2},
      {"iLengK", 150}, {"ZOKU", 12}}, ""},
    // Copied lines and limits
    {"comments and bz", "# one\nlc3\nbz\nbx\n#two", 50000, {{"isZUSUN", 1}}, "# one\r\nbz\r\n#two"},
    {"limit 0", "# one\nlc3\n", 0, {{"COLOR", 1}}, ""},
    {"limit 2", "# one\nlc3\nlc4\n# two\n", 2, {{"COLOR", 3}}, "# one\r\n"},
    {"bytes", std::string("\x82\x4f\n\0lc3\nlc4\0\n\r\nlc", 18), 50000,
     {{"COLOR", 4}, {"COLORi", 4}}, ""},
};
// clang-format on

TEST(Reader, RecordTable)
{
    for (const ReaderCase &c : kReaderCases) {
        Scratch dir;
        WriteFile(dir.At("in"), c.input);
        OpenOutput(dir);
        ASSERT_TRUE(TextOpen(&fp, dir.At("in").c_str(), false));
        EXPECT_EQ(QV_PATTERN(0, c.limit), 0);
        TextClose(&fp);
        EXPECT_EQ(Show(CloseOutput(dir)), Show(c.copied)) << c.what;
        for (const auto &[name, want] : c.expect)
            EXPECT_EQ(Value(name), want) << c.what << ": " << name;
    }
}

TEST(Reader, LongLinesArePieces)
{
    struct PieceCase {
        std::string input, copied;
    };
    const PieceCase cases[] = {
  // 300 characters: 254 copied without a line end, the rest dispatched on its own
        {"#" + std::string(299,        'a') + "\r\n",                        "#" + std::string(253, 'a')},
        {"#" + std::string(253,                        'a') + "#" + std::string(45,                                                            'b') + "\r\n",
         "#" + std::string(253, 'a') + "#" + std::string(45, 'b') + "\r\n"},
 // exactly 254: the piece holding only the line end is skipped
        {"#" + std::string(253,'a') + "\r\n","#" + std::string(253, 'a')},
 // a lone CR stays a character, CR LF is one line end
        {"# a\rb\r\n", "# a\rb\r\n"                       },
    };
    for (const auto &c : cases) {
        Scratch dir;
        WriteFile(dir.At("in"), c.input);
        OpenOutput(dir);
        ASSERT_TRUE(TextOpen(&fp, dir.At("in").c_str(), false));
        QV_PATTERN(0, 50000);
        TextClose(&fp);
        EXPECT_EQ(Show(CloseOutput(dir)), Show(c.copied));
    }
}

TEST(Reader, TraceAtLevel3)
{
    Scratch dir;
    WriteFile(dir.At("in"), "hp1 1.5 2\nhp7/3 4\nhp2+5 6\n");
    OpenOutput(dir);
    isTest = 3;
    ASSERT_TRUE(TextOpen(&fp, dir.At("in").c_str(), false));
    testing::internal::CaptureStdout();
    QV_PATTERN(3, 50000);
    std::string out = testing::internal::GetCapturedStdout();
    TextClose(&fp);
    CloseOutput(dir);
    EXPECT_EQ(out, "## ---- QV_PATTERN()  qvc_temp.txt processing --------\n"
                   "##  jd_x=0/3 : jd_x/jd_xmax  jd_limit=50000\n"
                   "##  buf=(hp1 1.5 2\n)\n"
                   "##  hp1   1.50 2.00 \n"
                   "## ---- QV_PATTERN()  qvc_temp.txt processing --------\n"
                   "##  jd_x=1/3 : jd_x/jd_xmax  jd_limit=50000\n"
                   "##  buf=(hp7/3 4\n)\n"
                   "##  hp7/  0.00 0.00 \n"
                   "## ---- QV_PATTERN()  qvc_temp.txt processing --------\n"
                   "##  jd_x=2/3 : jd_x/jd_xmax  jd_limit=50000\n"
                   "##  buf=(hp2+5 6\n)\n");
}

} // namespace
