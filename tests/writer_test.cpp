// The line writers, in process, for what a balloon never shows: negative, tiny, huge and
// non-finite numbers, and values outside the tables.
#include "harness.h"
#include "writer/writer.h"

#include <cmath>
#include <functional>
#include <gtest/gtest.h>
#include <limits>

namespace
{

const double kInf = std::numeric_limits<double>::infinity();
const double kNan = std::numeric_limits<double>::quiet_NaN();

struct WriterCase {
    std::function<void()> call;
    std::string           line;
};

const WriterCase kWriterCases[] = {
    {[] { SL3out(-1.5, 2, 1e-13, -0.0000000000005, 1e6, 3); },
     "sl -1.500000000000 2.000000000000 0.000000000000 -0.000000000000 1000000.000000000000 "
     "3.000000000000"                                                                         },
    {[] { SOout(kInf, -kInf, kNan, -kNan, 0, 0, 0, kInf); },
     "so inf -inf nan -nan 0.0000000000 0.0000000000 0.0000000000 inf"                        },
    {[] { SL2out(1e20, -123456789.123456789, 0.5, 2.5e-12); },
     "sl 100000000000000000000.000000000000 -123456789.123456791043 0.500000000000 "
     "0.000000000002"                                                                         },
    {[] { S16RGBout(-1); },                                    "lc10 #ffffffff"               },
    {[] { Cnout(-3); },                                        "cn-3 "                        },
    {[] { MojiOutS(1.5, -2, "A"); },                           "ch 1.500000 -2.000000 3 0 \"A"},
};

TEST(Writer, Lines)
{
    for (const WriterCase &c : kWriterCases) {
        Scratch dir;
        OpenOutput(dir);
        c.call();
        EXPECT_EQ(Show(CloseOutput(dir)), Show(c.line + "\r\n"));
    }
}

} // namespace
