// The option decoder, one row per command line: the variables afterwards and the messages.
#include "driver/driver.h"
#include "state/state.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace
{

struct OptionCase {
    std::vector<std::string> args;
    int                      isNUM, isZEN, wCN, wSCLR, isYA, isTEN, isTest;
    double                   moji_offset;
    int                      illegal; // "\n illegal Option.\n" messages
    int                      echoes;  // option echoes on standard output
};

// Defaults: isNUM 0, isZEN 1, wCN 2, wSCLR 0, isYA 0, isTEN 0, isTest 0, moji_offset 2.0.
const OptionCase kOptionCases[] = {
    {{"-C7"},                            0,  1,  7,  0, 0,  0, 0, 2.0, 0, 0},
    {{"-c7"},                            0,  1,  7,  0, 0,  0, 0, 2.0, 0, 0},
    {{"/c7"},                            0,  1,  7,  0, 0,  0, 0, 2.0, 0, 0},
    {{"-c17"},                           0,  1,  7,  0, 0,  0, 0, 2.0, 0, 0},
    {{"-c-13"},                          0,  1,  -3, 0, 0,  0, 0, 2.0, 0, 0},
    {{"-c"},                             0,  1,  2,  0, 0,  0, 0, 2.0, 0, 0},
    {{"-a1"},                            10, 1,  2,  0, 0,  0, 0, 2.0, 0, 0},
    {{"-a9"},                            18, 1,  2,  0, 0,  0, 0, 2.0, 0, 0},
    {{"-a0"},                            9,  1,  2,  0, 0,  0, 0, 2.0, 0, 0},
    {{"-A10"},                           9,  1,  2,  0, 0,  0, 0, 2.0, 0, 0},
    {{"-n5", "-n"},                      5,  1,  2,  0, 0,  0, 0, 2.0, 0, 0},
    {{"-n13"},                           3,  1,  2,  0, 0,  0, 0, 2.0, 0, 0},
    {{"-n-13"},                          -3, 1,  2,  0, 0,  0, 0, 2.0, 0, 0},
    {{"-nx"},                            0,  1,  2,  0, 0,  0, 0, 2.0, 0, 0},
    {{"-n 7"},                           7,  1,  2,  0, 0,  0, 0, 2.0, 0, 0},
    {{"-n99999999999"},                  7,  1,  2,  0, 0,  0, 0, 2.0, 0, 0}, // saturates at 2147483647
    {{"-n-99999999999"},                 -8, 1,  2,  0, 0,  0, 0, 2.0, 0, 0}, // saturates at -2147483648
    {{"-b13"},                           0,  1,  2,  3, 0,  0, 0, 2.0, 0, 0},
    {{"-d3.5"},                          0,  1,  2,  0, 0,  0, 0, 3.5, 0, 0},
    {{"-dx"},                            0,  1,  2,  0, 0,  0, 0, 0.0, 0, 0},
    {{"-d"},                             0,  1,  2,  0, 0,  0, 0, 2.0, 0, 0},
    {{"-h3"},                            0,  1,  2,  0, 0,  0, 0, 2.0, 0, 0},
    {{"-h2"},                            0,  0,  2,  0, 0,  0, 0, 2.0, 0, 0},
    {{"-h-1"},                           0,  -1, 2,  0, 0,  0, 0, 2.0, 0, 0},
    {{"-y-1"},                           0,  1,  2,  0, -1, 0, 0, 2.0, 0, 0},
    {{"-y2"},                            0,  1,  2,  0, 0,  0, 0, 2.0, 0, 0},
    {{"/Y1", "-p3"},                     0,  1,  2,  0, 1,  1, 0, 2.0, 0, 0},
    {{"-t12"},                           0,  1,  2,  0, 0,  0, 1, 2.0, 0, 0},
    {{"-t3", "-t7"},                     0,  1,  2,  0, 0,  0, 0, 2.0, 0, 1},
    {{"-t3", "-t0"},                     0,  1,  2,  0, 0,  0, 0, 2.0, 0, 1},
    {{"-t3", "-t"},                      0,  1,  2,  0, 0,  0, 0, 2.0, 0, 1},
    {{"-t3", "-c5", "-z"},               0,  1,  5,  0, 0,  0, 3, 2.0, 1, 3},
    {{"-z", "-f", "-", "/", "-9", "-J"}, 0,  1,  2,  0, 0,  0, 0, 2.0, 6, 0},
    {{"-e1", "-m", "-s", "-U", "-wabc"}, 0,  1,  2,  0, 0,  0, 0, 2.0, 0, 0},
};

int Count(const std::string &text, const std::string &what)
{
    int n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        n++;
    return n;
}

TEST(Options, Table)
{
    for (const OptionCase &c : kOptionCases) {
        StateReset();
        testing::internal::CaptureStdout();
        testing::internal::CaptureStderr();
        for (std::string a : c.args)
            opt(a.data());
        std::string out = testing::internal::GetCapturedStdout();
        std::string err = testing::internal::GetCapturedStderr();
        std::string row = c.args[0] + (c.args.size() > 1 ? " " + c.args[1] : "");
        EXPECT_EQ(isNUM, c.isNUM) << row;
        EXPECT_EQ(isZEN, c.isZEN) << row;
        EXPECT_EQ(wCN, c.wCN) << row;
        EXPECT_EQ(wSCLR, c.wSCLR) << row;
        EXPECT_EQ(isYA, c.isYA) << row;
        EXPECT_EQ(isTEN, c.isTEN) << row;
        EXPECT_EQ(isTest, c.isTest) << row;
        EXPECT_EQ(moji_offset, c.moji_offset) << row;
        std::string illegal;
        for (int i = 0; i < c.illegal; i++)
            illegal += "\n illegal Option.\n";
        EXPECT_EQ(err, illegal) << row;
        EXPECT_EQ(Count(out, "# --- command line option ---------------\n"), c.echoes) << row;
    }
}

TEST(Options, EchoShowsTheCurrentTextStyle)
{
    StateReset();
    testing::internal::CaptureStdout();
    for (std::string a : {"-t4", "-c5"})
        opt(a.data());
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "# --- command line option ---------------\n"
              "# --- wLC1=(1)/(1--9)  wLC2=(1)/(1--9)  wCN=(2)/(0--9)\n"
              "# --- command line option ---------------\n"
              "# --- wLC1=(1)/(1--9)  wLC2=(1)/(1--9)  wCN=(5)/(0--9)\n");
}

} // namespace
