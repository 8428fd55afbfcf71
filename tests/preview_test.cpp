// balloon-preview end to end: command files in, SVG pictures out.
#include "harness.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <sstream>

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
    EXPECT_EQ(pictures, 7); // every picture of the folder
    Scratch dir;
    WriteFile(dir.At("QVC_TEMP.TXT"), ReadFile(SOURCE_DIR "/examples/QVC_TEMP.TXT"));
    ASSERT_EQ(RunIn(dir.path, {"-n5", "-b3", "-y1"}).status, 0); // the options of examples/run
    EXPECT_EQ(RunIn(dir.path, {}, "balloon-preview").out,
              ReadFile(SOURCE_DIR "/examples/example.svg"))
        << "examples/run writes the new picture";
}

TEST(Preview, Failures)
{
    const std::vector<Case> cases = Cases("preview-failures.txt");
    EXPECT_EQ(cases.size(), 8u);
    for (const Case &c : cases) {
        Scratch dir;
        WriteFile(dir.At("cmd.txt"), "sl 0 0 1 1\r\n");
        WriteFile(dir.At("empty.txt"), "lg1\r\n# note\r\n");
        std::vector<std::string> args;
        std::istringstream       words(Field(c, "args"));
        for (std::string a; words >> a;)
            args.push_back(a);
        Outcome r = RunIn(dir.path, args, "balloon-preview");
        EXPECT_EQ(r.status, std::stoi(c.at("status"))) << c.at("what");
        EXPECT_EQ(r.err, Field(c, "err")) << c.at("what");
        std::string out = Field(c, "out"), at = "@VERSION@";
        if (out.find(at) != std::string::npos)
            out.replace(out.find(at), at.size(), BALLOON_VERSION);
        EXPECT_EQ(r.out, out) << c.at("what");
    }
}

} // namespace
