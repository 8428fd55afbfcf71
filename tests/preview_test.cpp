// balloon-preview end to end: command files in, SVG pictures out.
#include "harness.h"

#include <gtest/gtest.h>
#include <string>

namespace
{

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

// What the golden picture of the bundled example does not show: captions and malformed lines.
const PreviewCase kPreviewCases[] = {
    {"error line",
     Crlf({"h# VELMAR3  \x8e\x77\x8e\xa6\x83\x66\x81\x5b\x83\x5e\x81\x5b\x83\x47\x83\x89\x81\x5b"
           "(\x94\xd4\x8d\x86\x82\xaa\x91\xe5\x82\xab\x82\xa2)------ ",
           "lg14", "ly14"}),
     {"fill=\"#c00000\"> VELMAR3  "
      "\xe6\x8c\x87\xe7\xa4\xba\xe3\x83\x87\xe3\x83\xbc\xe3\x82\xbf\xe3\x83\xbc\xe3\x82\xa8\xe3\x83"
      "\xa9\xe3\x83\xbc(\xe7\x95\xaa\xe5\x8f\xb7\xe3\x81\x8c\xe5\xa4\xa7\xe3\x81\x8d\xe3\x81\x84)"
      "------ </text>",
      "viewBox=\"0 0 16.686 12.314\""},                                    // widened to the caption
     0},
    {"malformed lines are skipped",
     Crlf({"sl 1 2 x 4", "sl 1 2 3", "sc 1 2", "so 0 0 -1 1 0 0 6.2831853072 0", "sl inf 0 1 1",
           "ch x y 3 0 \"A", "lc10 #ff0000", "sl 0 0 10 10"}),
     {"<path d=\"M0.8 10.8 L10.8 0.8\" fill=\"none\" stroke=\"#ff0000\""},
     1                                       },
};

TEST(Preview, Pictures)
{
    for (const PreviewCase &c : kPreviewCases) {
        Scratch dir;
        WriteFile(dir.At("cmd.txt"), c.commands);
        Outcome r = RunIn(dir.path, {"cmd.txt", "-o", "out.svg"}, "balloon-preview");
        EXPECT_EQ(r.status, 0) << c.what;
        std::string svg = ReadFile(dir.At("out.svg"));
        for (const std::string &piece : c.contains)
            EXPECT_NE(svg.find(piece), std::string::npos) << c.what << ": " << piece << "\n" << svg;
        EXPECT_EQ(Count(svg, "<path "), c.paths) << c.what;
    }
}

TEST(Preview, Failures)
{
    const std::string usage = "usage: balloon-preview [COMMAND_FILE] [-o OUT.svg]\n";
    struct {
        std::vector<std::string> args;
        int                      status;
        std::string              err, out;
    } const cases[] = {
        {{},                                1, "balloon-preview: cannot open QVC_TEMP.TXT\n",        ""                                     },
        {{"."},                             1, "balloon-preview: cannot read .\n",                   ""                                     },
        {{"cmd.txt", "-o", "none/out.svg"}, 1, "balloon-preview: cannot write none/out.svg\n",       ""                                     },
        {{"empty.txt"},                     1, "balloon-preview: no drawing command in empty.txt\n", ""                                     },
        {{"-x"},                            2, usage,                                                ""                                     },
        {{"cmd.txt", "b", "c"},             2, usage,                                                ""                                     },
        {{"--version"},                     0, "",                                                   "balloon-preview " BALLOON_VERSION "\n"},
    };
    for (const auto &c : cases) {
        Scratch dir;
        WriteFile(dir.At("cmd.txt"), "sl 0 0 1 1\r\n");
        WriteFile(dir.At("empty.txt"), "lg1\r\n# note\r\n");
        Outcome r = RunIn(dir.path, c.args, "balloon-preview");
        EXPECT_EQ(r.status, c.status) << c.err;
        EXPECT_EQ(r.err, c.err);
        EXPECT_EQ(r.out, c.out) << c.err;
    }
}

// The picture in the README is what the bundled example gives today.
TEST(Preview, BundledExampleIsCurrent)
{
    Scratch dir;
    WriteFile(dir.At("QVC_TEMP.TXT"), ReadFile(SOURCE_DIR "/examples/QVC_TEMP.TXT"));
    ASSERT_EQ(RunIn(dir.path, {"-n5", "-b3", "-y1"}).status, 0); // the options of examples/run
    Outcome r = RunIn(dir.path, {}, "balloon-preview");
    EXPECT_EQ(r.status, 0);
    EXPECT_TRUE(r.out == ReadFile(SOURCE_DIR "/examples/example.svg"))
        << "examples/run writes the new picture";
}

} // namespace
