// balloon-preview end to end: command files in, SVG pictures out.
#include "harness.h"

#include <gtest/gtest.h>
#include <string>

namespace
{

// The worked example's command file: balloon of radius 6 at (100, 50), leader to (160, 130).
const std::string kWorked =
    Crlf({"# note", "cn2 ", "lc10 #0000ff",
          "sc 100.0000000000 50.0000000000 6.0000000000 1.0000000000 0.9272952180 -0.7853981634 "
          "1.5700113211 -1.00",
          "sl 99.151471862576 55.939696961967 107.200000000000 59.600000000000 105.091168824543 "
          "56.788225099391",
          "so 100.0000000000 50.0000000000 6.0000000000 1.0000000000 0.9272952180 0.0000000000 "
          "6.2831853072 5.700000",
          "sl 107.200000000000 59.600000000000 160.000000000000 130.000000000000",
          "sc 160.0000000000 130.0000000000 2.0000000000 1.0000000000 0.0000000000 0.0000000000 "
          "6.2831853072 100.00",
          "cc4 ", "ch 100.200000 50.000000 3 0 \"\x82\x54", "lg14", "lc20"});

int Count(const std::string &text, const std::string &what)
{
    int n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        n++;
    return n;
}

struct PreviewCase {
    const char              *what;
    std::string              commands;
    std::vector<std::string> contains; // pieces of the SVG, in drawing units, y turned down
    int                      paths;
};

// Drawn extent x 94..162, y 44..132 (the label counts its height); margin 8% of 88 = 7.04.
const PreviewCase kPreviewCases[] = {
    {"worked example",
     kWorked,                                                  {"viewBox=\"0 0 82.08 102.08\"",
      "<path d=\"M20.24 79.44 L73.04 9.04\" fill=\"none\" stroke=\"#0000ff\"",
      "<path d=\"M12.191 83.1 L20.24 79.44 L18.131 82.251\"",
      "<text x=\"13.24\" y=\"89.04\" font-size=\"6\" fill=\"#0000ff\" text-anchor=\"middle\" "
      "dominant-baseline=\"central\">\xef\xbc\x95</text>",
      "<path d=\"M13.04 89.04 L18.979 88.191"},
     5},
    {"error line",
     Crlf({"h# VELMAR3  \x8e\x77\x8e\xa6\x83\x66\x81\x5b\x83\x5e\x81\x5b\x83\x47\x83\x89\x81\x5b"
           "(\x94\xd4\x8d\x86\x82\xaa\x91\xe5\x82\xab\x82\xa2)------ ",
           "lg14", "ly14"}),
     {"fill=\"#c00000\"> VELMAR3  "
      "\xe6\x8c\x87\xe7\xa4\xba\xe3\x83\x87\xe3\x83\xbc\xe3\x82\xbf\xe3\x83\xbc\xe3\x82\xa8\xe3\x83"
      "\xa9\xe3\x83\xbc(\xe7\x95\xaa\xe5\x8f\xb7\xe3\x81\x8c\xe5\xa4\xa7\xe3\x81\x8d\xe3\x81\x84)"
      "------ </text>"},
     0},
    {"malformed lines are skipped",
     Crlf({"sl 1 2 x 4", "sl 1 2 3", "sc 1 2", "so 0 0 -1 1 0 0 6.2831853072 0", "sl inf 0 1 1",
           "ch x y 3 0 \"A", "lc10 #ff0000", "sl 0 0 10 10"}),
     {"<path d=\"M0.8 10.8 L10.8 0.8\" fill=\"none\" stroke=\"#ff0000\""},
     1},
};

TEST(Preview, Pictures)
{
    for (const PreviewCase &c : kPreviewCases) {
        Scratch dir;
        WriteFile(dir.At("cmd.txt"), c.commands);
        RunResult r = RunIn(dir.path, {"cmd.txt", "-o", "out.svg"}, "balloon-preview");
        EXPECT_EQ(r.status, 0) << c.what;
        std::string svg = ReadFile(dir.At("out.svg"));
        for (const std::string &piece : c.contains)
            EXPECT_NE(svg.find(piece), std::string::npos) << c.what << ": " << piece << "\n" << svg;
        EXPECT_EQ(Count(svg, "<path "), c.paths) << c.what;
    }
}

TEST(Preview, Failures)
{
    struct {
        std::vector<std::string> args;
        std::string              err;
    } const cases[] = {
        {{},                                "balloon-preview: cannot open QVC_TEMP.TXT\n"         },
        {{"."},                             "balloon-preview: cannot read .\n"                    },
        {{"cmd.txt", "-o", "none/out.svg"}, "balloon-preview: cannot write none/out.svg\n"        },
        {{"-x"},                            "usage: balloon-preview [COMMAND_FILE] [-o OUT.svg]\n"},
    };
    for (const auto &c : cases) {
        Scratch dir;
        WriteFile(dir.At("cmd.txt"), "sl 0 0 1 1\r\n");
        RunResult r = RunIn(dir.path, c.args, "balloon-preview");
        EXPECT_NE(r.status, 0) << c.err;
        EXPECT_EQ(r.err, c.err);
        EXPECT_EQ(r.out, "") << c.err;
    }
}

// The picture in the README is what the bundled example gives today.
TEST(Preview, BundledExampleIsCurrent)
{
    Scratch dir;
    WriteFile(dir.At("QVC_TEMP.TXT"), ReadFile(SOURCE_DIR "/examples/QVC_TEMP.TXT"));
    ASSERT_EQ(RunIn(dir.path, {"-n5", "-b3", "-y1"}).status, 0); // the options of examples/run
    RunResult r = RunIn(dir.path, {}, "balloon-preview");
    EXPECT_EQ(r.status, 0);
    EXPECT_TRUE(r.out == ReadFile(SOURCE_DIR "/examples/example.svg"))
        << "examples/run writes the new picture";
}

} // namespace
