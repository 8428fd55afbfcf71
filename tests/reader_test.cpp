// The element file reader, in process: input records in, program state and copied lines out.
#include "driver/textio.h"
#include "harness.h"
#include "reader/reader.h"
#include "state/state.h"

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
    // Attributes and the first-value rule
    {"lg hex", "lga\n", 50000, {{"GROUP", 10}, {"GROUPi", 10}}, ""},
    {"lg unchecked", "lg1ff\nlg3\n", 50000, {{"GROUP", 3}, {"GROUPi", 511}}, ""},
    {"ly, lt", "ly1f\nlt-4\n", 50000, {{"LAYER", 31}, {"LAYERi", 31}, {"TYPE", -4}}, ""},
    {"lc without number", "lc\nlc7\n", 50000, {{"COLOR", 7}, {"COLORi", 1}}, ""},
    {"lc 20 keeps open", "lc20\nlc5\nlc6\n", 50000, {{"COLOR", 6}, {"COLORi", 5}}, ""},
    {"pn hex", "pnb\n", 50000, {{"TENS", 11}, {"TENSi", 11}}, ""},
    {"cc", "cc3\n", 50000, {{"MOJIK", 3}, {"MOJIKi", 3}}, ""},
    {"case matters", "LG5\nlG5\n", 50000, {{"GROUP", 0}, {"GROUPi", 20}}, ""},
    // Text style records
    {"cn then cn0",
     "cn3\ncn0 2.5 3 0.5 1\n",
     50000,
     {{"MOJIS", 0}, {"MOJISi", 3}, {"MOJIWi", -20}, {"MOJI_W[0]", 2.5}, {"MOJI_C[0]", 1}},
     ""},
    {"cn0 first",
     "cn0 2.5 3 0.5 1\ncn4\n",
     50000,
     {{"MOJIS", 4}, {"MOJISi", 0}, {"MOJIWi", 2.5}, {"MOJIHi", 3}, {"MOJIDi", 0.5}, {"MOJICi", 1}},
     ""},
    {"cn0 partial", "cn0 1.5 x 9\n", 50000, {{"MOJIWi", 1.5}, {"MOJIHi", 0}, {"MOJIDi", 0}}, ""},
    {"quoted cn", "cn\"abc\n", 50000, {{"MOJIS", 1}, {"MOJISi", 20}}, ""},
    {"text sizes",
     "hcw 1 2 3 4 5 6 7 8 9 10\nhch 3 4\nhcd .5\nhcx 9\n",
     50000,
     {{"MOJI_W[1]", 1}, {"MOJI_W[10]", 10}, {"MOJI_W[0]", 0}, {"MOJI_H[2]", 4}, {"MOJI_H[3]", 0},
      {"MOJI_D[1]", 0.5}},
     ""},
    // Group scales
    {"hs partial", "hs 2 3\n", 50000, {{"G_SCALE[0]", 2}, {"G_SCALE[1]", 3}, {"G_SCALE[2]", 1}}, ""},
    {"hs from character 4", "hs5 7\n", 50000, {{"G_SCALE[0]", 7}, {"G_SCALE[1]", 1}}, ""},
    // Point records
    {"points",
     "hp1 10 20\nhp2+30 40\nhp2/50 60\n",
     50000,
     {{"PX[1]", 10}, {"PY[1]", 20}, {"PX[2]", 50}, {"PY[2]", 60}, {"iPOINT", 2}, {"iPOINTcnt", 3}},
     ""},
    {"point 5", "hp5 1 2\n", 50000, {{"iPOINT", 5}, {"iPOINTcnt", 1}, {"PX[1]", 0}}, ""},
    {"two digits", "hp12 1 2\n", 50000, {{"iPOINT", 0}, {"iPOINTcnt", 0}}, ""},
    {"unknown marker", "hp1*1 2\nhp\n", 50000, {{"iPOINTcnt", 0}}, ""},
    {"number fails", "hp1 3 4\nhpx 7 8\n", 50000, {{"iPOINT", 1}, {"iPOINTcnt", 2}, {"PX[1]", 7}},
     ""},
    {"sign is no marker", "hp-1 1 2\n", 50000, {{"iPOINT", 0}, {"iPOINTcnt", 0}}, ""},
    {"marker -", "hp0- 5 6\n", 50000, {{"PX[0]", 5}, {"PY[0]", 6}}, ""},
    // Stages and other records
    {"stages", "hq\nhhx1\n 0 0 1 1\n 2 2 2 2\n", 50000, {{"stepcnt", 3}, {"iLine_cnt", 1}}, ""},
    {"hh needs 1", "hq\nhhx2\n", 50000, {{"stepcnt", 1}}, ""},
    {"segment nan", " nan 0 nan 0\n", 50000, {{"iLine_cnt", 1}}, ""},
    {"ci defaults",
     "ci 0 0 10\n",
     50000,
     {{"CR", 10}, {"SK", 0}, {"EK", 360}, {"HP", -2}, {"JK", 0}, {"iCi_cnt", 1}},
     ""},
    {"pt, cx", "pt 1 2\ncx 3 4 5 6\n", 50000,
     {{"KX[1]", 3}, {"KY[1]", 4}, {"KX[5]", 5}, {"KY[5]", 6}}, ""},
    {"pl", "pl\npl\n", 50000, {{"iPL", 1}, {"iPLcnt", 2}, {"iLengK", 150}}, ""},
    {"z", "z12\n", 50000, {{"ZOKU", 12}}, ""},
    // Copied lines and limits
    {"comments and bz", "# one\nlc3\nbz\nbx\n#two", 50000, {{"isZUSUN", 1}}, "# one\r\nbz\r\n#two"},
    {"limit 0", "# one\nlc3\n", 0, {{"COLOR", 1}}, ""},
    {"limit 2", "# one\nlc3\nlc4\n# two\n", 2, {{"COLOR", 3}}, "# one\r\n"},
    {"bytes", std::string("\x82\x4f\n\0lc3\nlc4\0\n\r\n", 16), 50000, {{"COLOR", 4}}, ""},
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
