// The balloon through the real executable: input records and options in, the exact command
// file out.
#include "harness.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace
{

const std::string kRestore = Crlf({"lg14", "ly14", "lt20", "lc20"});
const std::string kErrorCount = "h# VELMAR3  \x8e\x77\x8e\xa6\x83\x66\x81\x5b\x83\x5e\x81\x5b\x83"
                                "\x47\x83\x89\x81\x5b(\x8e\x77\x8e\xa6\x90\x94\x82\xaa\x82\x52\x88"
                                "\xc8\x8f\xe3)------ \r\n";
const std::string kErrorNumber = "h# VELMAR3  \x8e\x77\x8e\xa6\x83\x66\x81\x5b\x83\x5e\x81\x5b\x83"
                                 "\x47\x83\x89\x81\x5b(\x94\xd4\x8d\x86\x82\xaa\x91\xe5\x82\xab"
                                 "\x82\xa2)------ \r\n";

// Radius 1 at the origin, pointing along +x: the lines up to the full circle.
const std::vector<std::string> kUnitBalloon = {
    "sc 0.0000000000 0.0000000000 1.0000000000 1.0000000000 0.0000000000 -0.7853981634 "
    "1.5700113211 -1.00",
    "sl 0.707106781187 0.707106781187 2.000000000000 0.000000000000 1.414213562373 0.000000000000",
    "sl 0.707106781187 -0.707106781187 2.000000000000 0.000000000000 1.414213562373 "
    "0.000000000000",
    "so 0.0000000000 0.0000000000 1.0000000000 1.0000000000 0.0000000000 0.0000000000 "
    "6.2831853072 0.950000",
};

// The command file of a radius-1 balloon at the origin pointing along +x, in colour rgb: the
// text style line, the balloon, the lines of the leader, "cc4 ", the label line, and restore
// (the restore block).
std::string Unit(const char *rgb, std::vector<std::string> leader, const std::string &label,
                 const std::string &restore = kRestore, const char *style = "cn2 ")
{
    std::vector<std::string> lines{style, std::string("lc10 #") + rgb};
    lines.insert(lines.end(), kUnitBalloon.begin(), kUnitBalloon.end());
    lines.insert(lines.end(), leader.begin(), leader.end());
    lines.push_back("cc4 ");
    lines.push_back(label);
    return Crlf(lines) + restore;
}

struct BalloonCase {
    const char              *what;
    std::string              input;
    std::vector<std::string> args;
    std::string              expect; // the whole command file
};

const std::string kUnit = "hch 0 1\r\nhp1 0 0\r\n";
const std::string kRestoreGroup16 = Crlf({"cn0 1.00 1.00 1.00 1", "lg10", "ly14", "lt20", "lc20"});

// clang-format off
const BalloonCase kBalloonCases[] = {
    {"worked example",
     "lg3\r\nhs 1 1 1 2\r\nhch 0 3\r\ncn0 3 3 0.5 2\r\n# note\r\nhp1 100 50\r\nhp2 160 130\r\n",
     {"-b3", "-n5", "-y1", "-p1"},
     Crlf({"# note", "cn2 ", "lc10 #0000ff",
           "sc 100.0000000000 50.0000000000 6.0000000000 1.0000000000 0.9272952180 "
           "-0.7853981634 1.5700113211 -1.00",
           "sl 99.151471862576 55.939696961967 107.200000000000 59.600000000000 "
           "105.091168824543 56.788225099391",
           "sl 105.939696961967 50.848528137424 107.200000000000 59.600000000000 "
           "105.091168824543 56.788225099391",
           "so 100.0000000000 50.0000000000 6.0000000000 1.0000000000 0.9272952180 0.0000000000 "
           "6.2831853072 5.700000",
           "sl 107.200000000000 59.600000000000 160.000000000000 130.000000000000",
           "sl 160.000000000000 130.000000000000 154.000000000000 127.000000000000 "
           "158.800000000000 123.400000000000",
           "sc 160.0000000000 130.0000000000 2.0000000000 1.0000000000 0.0000000000 0.0000000000 "
           "6.2831853072 100.00",
           "cc4 ", "ch 100.200000 50.000000 3 0 \"\x82\x54", "cn0 3.00 3.00 0.50 2", "lg3", "ly14",
           "lt20", "lc20"})},
    {"leader, half-width label", kUnit + "hp2 10 0\r\n", {"-h0", "-n7", "-b1"},
     Unit("ff0000", {"sl 2.000000000000 0.000000000000 10.000000000000 0.000000000000"},
          "ch 0.100000 0.000000 3 0 \"7")},
    {"d equal to 2r: leader of no length, arrow head and dot", kUnit + "hp2 2 0\r\n",
     {"-y1", "-p1", "-a9", "-h2"},
     Unit("000000",
          {"sl 2.000000000000 0.000000000000 2.000000000000 0.000000000000",
           "sl 2.000000000000 0.000000000000 -1.000000000000 1.500000000000 -1.000000000000 "
           "-1.500000000000",
           "sc 2.0000000000 0.0000000000 1.0000000000 1.0000000000 0.0000000000 0.0000000000 "
           "6.2831853072 100.00"},
          "ch 0.100000 0.000000 3 0 \"I")},
    {"d below 2r (coincident points): no leader, whatever the options", kUnit + "hp2 0 0\r\n",
     {"-y1", "-p1", "-d10", "-a1"}, Unit("000000", {}, "ch 0.500000 0.000000 3 0 \"\x82\x60")},
    {"one point record, text height 0: the leader runs to the origin", "hp1 3 4\r\n", {"-h0"},
     Crlf({"cn2 ", "lc10 #000000",
           "sc 3.0000000000 4.0000000000 0.0000000000 1.0000000000 -2.2142974356 -0.7853981634 "
           "1.5700113211 -1.00",
           "sl 3.000000000000 4.000000000000 3.000000000000 4.000000000000 3.000000000000 "
           "4.000000000000",
           "sl 3.000000000000 4.000000000000 3.000000000000 4.000000000000 3.000000000000 "
           "4.000000000000",
           "so 3.0000000000 4.0000000000 0.0000000000 1.0000000000 -2.2142974356 0.0000000000 "
           "6.2831853072 0.000000",
           "sl 3.000000000000 4.000000000000 0.000000000000 0.000000000000", "cc4 ",
           "ch 3.100000 4.000000 3 0 \"0"}) + kRestore},
    {"three point records", "# a\r\nhp1 0 0\r\nhp2 1 1\r\nhp3 2 2\r\n", {},
     "# a\r\n" + kErrorCount + kRestore},
    {"points 1 and 3", "hp1 0 0\r\nhp3 1 1\r\n", {}, kErrorNumber + kRestore},
    {"only point 3", "lc5\r\nhp3 1 1\r\n", {}, kErrorNumber + Crlf({"lg14", "ly14", "lt20", "lc5"})},
    {"negative options and an unknown group are taken as 0",
     "lg10\r\nhs 1\r\ncn0 1 1 1 1\r\nhp1 0 0\r\n", {"-n-3", "-b-3", "-c-3"},
     Unit("000000", {}, "ch 0.100000 0.000000 3 0 \"\x82\x4f", kRestoreGroup16, "cn0 ")},
};
// clang-format on

TEST(Balloon, Runs)
{
    for (const BalloonCase &c : kBalloonCases) {
        Scratch dir;
        WriteFile(dir.At("QVC_TEMP.TXT"), c.input);
        RunResult r = RunIn(dir.path, c.args);
        EXPECT_EQ(r.status, 0) << c.what;
        EXPECT_EQ(r.err, "") << c.what;
        EXPECT_EQ(Show(ReadFile(dir.At("QVC_TEMP.TXT"))), Show(c.expect)) << c.what;
    }
}

// Inputs whose products round differently in extended precision (the x87 unit of a 32-bit
// build): every build must print the last digits of double arithmetic.
TEST(Balloon, LastDigitsOfDoubleArithmetic)
{
    struct {
        std::string input, line;
    } const cases[] = {
        {"hs 4.744\r\nhch 0 6.461\r\nhp1 -75.481 326.852\r\nhp2 -376.198 -276.761\r\n",
         "sl -376.198000000000 -276.761000000000 -363.482321217264 -267.195499851326 "
         "-376.220992849298 -260.849156884607\r\n"},
        {"hs 3.917\r\nhch 0 5.560\r\nhp1 -238.885 -133.300\r\nhp2 -332.958 271.938\r\n",
         "sl -227.366491057870 -114.816821562824 -248.734530057340 -90.871206814108 "
         "-245.849669495046 -103.298312620695\r\n"},
    };
    for (const auto &c : cases) {
        Scratch dir;
        WriteFile(dir.At("QVC_TEMP.TXT"), c.input);
        ASSERT_EQ(RunIn(dir.path, {"-y1"}).status, 0);
        EXPECT_NE(ReadFile(dir.At("QVC_TEMP.TXT")).find(c.line), std::string::npos) << c.line;
    }
}

struct RestoreCase {
    std::string input;
    std::string block;
};

// The attribute-restore block after a run, whatever the balloon drew.
const RestoreCase kRestoreCases[] = {
    {"",                                            Crlf({"lg14", "ly14", "lt20", "lc20"})                        },
    {"cn0 3 3 0.5 2\r\ncn4\r\n",                    Crlf({"cn0 3.00 3.00 0.50 2", "lg14", "ly14", "lt20", "lc20"})},
    {"cn0 2.5 1 1 1\r\n",                           Crlf({"cn0 2.50 1.00 1.00 1", "lg14", "ly14", "lt20", "lc20"})},
    {"cn0 0 3 0.5 2\r\n",                           Crlf({"lg14", "ly14", "lt20", "lc20"})                        },
    {"cn3\r\ncn0 3 3 3 3\r\n",                      Crlf({"cn3", "lg14", "ly14", "lt20", "lc20"})                 },
    {"cn11\r\n",                                    Crlf({"lg14", "ly14", "lt20", "lc20"})                        },
    {"pn5\r\npn7\r\n",                              Crlf({"lg14", "ly14", "lt20", "lc20", "pn5"})                 },
    {"pna\r\n",                                     Crlf({"lg14", "ly14", "lt20", "lc20"})                        },
    {"pn-1\r\n",                                    Crlf({"lg14", "ly14", "lt20", "lc20", "pn-1"})                },
    {"lga\r\nly1f\r\n",                             Crlf({"lga", "ly1f", "lt20", "lc20"})                         },
    {"pn3\r\nlc5\r\nlt1\r\nly1f\r\nlg2\r\ncn4\r\n",
     Crlf({"cn4", "lg2", "ly1f", "lt1", "lc5", "pn3"})                                                            },
    {"lg-1\r\n",                                    Crlf({"lgffffffff", "ly14", "lt20", "lc20"})                  },
};

TEST(Balloon, RestoreBlock)
{
    for (const RestoreCase &c : kRestoreCases) {
        Scratch dir;
        WriteFile(dir.At("QVC_TEMP.TXT"), c.input);
        RunResult r = RunIn(dir.path, {});
        EXPECT_EQ(r.status, 0);
        std::string out = ReadFile(dir.At("QVC_TEMP.TXT"));
        size_t      label = out.find("ch ");
        ASSERT_NE(label, std::string::npos) << c.input;
        std::string block = out.substr(out.find("\r\n", label) + 2);
        EXPECT_EQ(Show(block), Show(c.block)) << c.input;
    }
}

// The console trace of level 2, for a drawn balloon and for an error return.
TEST(Balloon, TraceAtLevel2)
{
    const std::string head = "#### debug #### \n# Point ---- Kobarn1() --- cnt<";
    const std::string tail =
        "# ------------------ main() Pattern1 end file closing ------------------ \n";
    struct {
        std::string input, out;
    } const cases[] = {
        {"hs 2\r\nhcw 0 1\r\nhch 0 3\r\nhp1 100 50\r\nhp2 160 130\r\n",
         head +
             "2>----- \n#     PX[0]=0.0 PY[0]=0.0 \n#     PX[1]=100.0 PY[1]=50.0 \n"
             "#     PX[2]=160.0 PY[2]=130.0 \n#     PX[3]=0.0 PY[3]=0.0 \n"
             "# - SCALE=2.0 MOJI(2) MOJI-W<2.0> MOJI-H<6.0> MOJI-D<0.0>\n"
             "#     MOJI-H(6.0) x bai(1.0) = rbln(6.0)\n#  Solid(3)  color-hex(ff)\n"
             "#  balloon(5)  isNUM(5)\n#  balloon(\x82\x54)  isNUM(5)\n" +
             tail + "# jd_xmax= 5 stepcnt= 0 Error(0)\n"},
        {"hp1 1 2\r\nhp2 3 4\r\nhp3 5 6\r\n",
         head +
             "3>----- \n#     PX[0]=0.0 PY[0]=0.0 \n#     PX[1]=1.0 PY[1]=2.0 \n"
             "#     PX[2]=3.0 PY[2]=4.0 \n#     PX[3]=5.0 PY[3]=6.0 \n" +
             tail + "# jd_xmax= 3 stepcnt= 0 Error(1)\n"},
    };
    for (const auto &c : cases) {
        Scratch dir;
        WriteFile(dir.At("QVC_TEMP.TXT"), c.input);
        RunResult r = RunIn(dir.path, {"-t2", "-b3", "-h0", "-n5"});
        EXPECT_EQ(r.status, 0);
        EXPECT_EQ(r.out, c.out);
    }
}

} // namespace
