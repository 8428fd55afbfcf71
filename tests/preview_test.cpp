// balloon-preview end to end: command files in, SVG pictures out.
#include "harness.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace
{

// Every tests/golden/NAME.cmd.txt drawn is NAME.svg, and the bundled example's command file
// drawn is the README's picture.
TEST(Preview, GoldenPictures)
{
    int pictures = 0;
    for (const auto &e : std::filesystem::directory_iterator(SOURCE_DIR "/tests/golden")) {
        std::string name = e.path().string();
        if (!name.ends_with(".cmd.txt"))
            continue;
        Outcome r = RunIn(".", {name}, "balloon-preview");
        EXPECT_EQ(r.status, 0) << name;
        EXPECT_EQ(r.out, ReadFile(name.substr(0, name.size() - 8) + ".svg")) << name;
        pictures++;
    }
    EXPECT_EQ(pictures, 4); // every picture of the folder
    Scratch dir;
    WriteFile(dir.At("QVC_TEMP.TXT"), ReadFile(SOURCE_DIR "/examples/QVC_TEMP.TXT"));
    ASSERT_EQ(RunIn(dir.path, {"-n5", "-b3", "-y1"}).status, 0); // the options of examples/run
    EXPECT_EQ(RunIn(dir.path, {}, "balloon-preview").out,
              ReadFile(SOURCE_DIR "/examples/example.svg"))
        << "examples/run writes the new picture";
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

} // namespace
