// The programs end to end: the tool as the host runs it (the golden runs, the line limit, the
// Windows zip's first run), and balloon-preview (command files in, SVG pictures out).
#include "harness.h"

#include <cmath>
#include <filesystem>
#include <gtest/gtest.h>

namespace
{

namespace fs = std::filesystem;

// The files of tests/golden whose names end in suffix, without it.
std::vector<std::string> Goldens(const std::string &suffix)
{
    std::vector<std::string> names;
    for (const auto &e : fs::directory_iterator(SOURCE_DIR "/tests/golden"))
        if (std::string name = e.path().string(); name.ends_with(suffix))
            names.push_back(name.substr(0, name.size() - suffix.size()));
    return names;
}

// The host's file of the golden run end-tick-long (the first point (100, 50), the second
// (130, 70)), its second point record replaced by at where one is given.
std::string EndTickHost(const std::string &at = "")
{
    static const std::string host = ReadFile(SOURCE_DIR "/tests/golden/end-tick-long.in.txt");
    const std::string        second = "hp2 130 70";
    return at.empty() ? host : std::string(host).replace(host.find(second), second.size(), at);
}

// Every case of tests/golden: NAME.in.txt holds the options on its first line and the host's
// file after it, NAME.out.txt the command file (in QVC_TEMP.TXT after a normal run; at a debug
// level in 'QVC_TEMP.$$$', QVC_TEMP.TXT unchanged), NAME.con.txt and NAME.err.txt the standard
// output and error, if any.
TEST(Tool, GoldenRuns)
{
    const std::vector<std::string> names = Goldens(".in.txt");
    EXPECT_EQ(names.size(), 236u); // every case of the folder, none lost
    for (const std::string &name : names) {
        const std::string in = ReadFile(name + ".in.txt"), input = in.substr(in.find('\n') + 1);
        Outcome r = RunOn(input, Words(in.substr(0, in.find('\n')))); // the options, then the file
        EXPECT_EQ(r.status, 0) << name;
        EXPECT_EQ(r.err, ReadFile(name + ".err.txt")) << name;
        EXPECT_EQ(r.work.empty() ? r.txt : r.work, ReadFile(name + ".out.txt")) << name;
        EXPECT_TRUE(r.work.empty() || r.txt == input) << name;
        EXPECT_EQ(r.out, ReadFile(name + ".con.txt")) << name;
    }
}

// Options that draw the same: -k0 gives -y and -p back their say, -k1 is the open head of -y1
// and -k3 the dot of -p1, and with two points -g1 and -g2 draw and trace the one leader, in every
// frame, with a long leader, one shorter than the head and one from the frame's edge.
TEST(Tool, SameDrawings)
{
    const std::string in = ReadFile(SOURCE_DIR "/tests/golden/frame-leader-on-the-square.in.txt");
    const std::string input = in.substr(in.find('\n') + 1), at = "hp2 106 50";
    const struct {
        std::string a, b;
    } pairs[] = {
        {"-k0 -y1 -p1", "-y1 -p1"},
        {"-k1",         "-y1"    },
        {"-k3",         "-p1"    },
        {"-k5 -k0 -y1", "-y1"    },
        {"-g1 -k2",     "-g0 -k2"},
        {"-g2 -k4 -t2", "-k4 -t2"},
        {"-g2 -y1 -t3", "-y1 -t3"},
    };
    for (const char *p2 : {"hp2 130 70", "hp2 107 51", "hp2 94 40"})
        for (const auto &pair : pairs)
            for (int frame = 0; frame < 8; frame++) {
                std::string host = input, f = " -l12 -x2X -f";
                f += std::to_string(frame); // appended: g++ 12 warns of the sum (-Wrestrict)
                host.replace(host.find(at), at.size(), p2);
                Outcome a = RunOn(host, Words(pair.a + f)), b = RunOn(host, Words(pair.b + f));
                EXPECT_EQ(a.txt, b.txt) << pair.a << f << " " << p2;
                EXPECT_EQ(a.work, b.work) << pair.a << f << " " << p2;
                EXPECT_EQ(a.out, b.out) << pair.a << f << " " << p2;
                EXPECT_NE(a.txt + a.work, input) << pair.a << f; // a balloon was drawn
            }
}

// A refused value draws the option error line of its letter as given, and its message: a value
// that -z does not take, one written after a blank (an empty argument too) to an option that this
// tool added, in force until a later value of the option or of the label takes its place. A bare
// letter before another option and the host's own options keep their ways.
TEST(Tool, RefusedValues)
{
    const std::string input = EndTickHost();
    const struct {
        std::vector<std::string> args;
        char                     letter; // of the error line; 0: a balloon drawn
        bool                     message;
    } cases[] = {
        {.args = {"-z0"},                                                .letter = 'z', .message = true },
        {.args = {"-z-5"},                                               .letter = 'z', .message = true },
        {.args = {"-z10mm"},                                             .letter = 'z', .message = true },
        {.args = {"-z1,5"},                                              .letter = 'z', .message = true },
        {.args = {"-znan"},                                              .letter = 'z', .message = true },
        {.args = {"-zinf"},                                              .letter = 'z', .message = true },
        {.args = {"-z0x10"},                                             .letter = 'z', .message = true },
        {.args = {"-z1000.1"},                                           .letter = 'z', .message = true },
        {.args = {"-z1.2.3"},                                            .letter = 'z', .message = true },
        {.args = {"-Z."},                                                .letter = 'Z', .message = true },
        {.args = {"-z", "10"},                                           .letter = 'z', .message = true },
        {.args = {"-z1000"},                                             .letter = 0,   .message = false},
        {.args = {"-z.5"},                                               .letter = 0,   .message = false},
        {.args = {"-z"},                                                 .letter = 0,   .message = true },
        {.args = {"-l", "12", "-y1"},                                    .letter = 'l', .message = true },
        {.args = {"-q", "2"},                                            .letter = 'q', .message = true },
        {.args = {"-x", "4X"},                                           .letter = 'x', .message = true },
        {.args = {"-f", "5"},                                            .letter = 'f', .message = true },
        {.args = {"-k", "2"},                                            .letter = 'k', .message = true },
        {.args = {"-r", "2"},                                            .letter = 'r', .message = true },
        {.args = {"-i", "5"},                                            .letter = 'i', .message = true },
        {.args = {"-l", ""},                                             .letter = 'l', .message = true },
        {.args = {"/L", "x"},                                            .letter = 'L', .message = true },
        {.args = {"-l", "12", "-l5"},                                    .letter = 0,   .message = true },
        {.args = {"-l", "12", "-n5"},                                    .letter = 0,   .message = true },
        {.args = {"-l", "-n5"},                                          .letter = 0,   .message = false},
        {.args = {"-i", "-y1"},                                          .letter = 0,   .message = false},
        {.args = {"-n", "5"},                                            .letter = 0,   .message = false},
        {.args = {"-f", "5", "-f1"},                                     .letter = 0,   .message = true },
        {.args = {"-k7"},                                                .letter = 0,   .message = false},
        {.args = {"-k8"},                                                .letter = 'k', .message = true },
        {.args = {"-l12345678901234567"},                                .letter = 'l', .message = true },
        {.args = {"-l1234567890123456"},                                 .letter = 0,   .message = false},
        {.args = {"-j", "5"},                                            .letter = 'j', .message = true },
        {.args = {"-j12345678901234567", "-j2"},                         .letter = 'j', .message = true },
        {.args = {"-j", "-j", "-j", "-j", "-j", "-j", "-j", "-j", "-j"},
         .letter = 'j',
         .message = true                                                                                },
        {.args = {"-j", "-j", "-j", "-j", "-j", "-j", "-j", "-j"},       .letter = 0,   .message = false},
        {.args = {"-o2"},                                                .letter = 'o', .message = true },
        {.args = {"-o", "-o1"},                                          .letter = 0,   .message = true },
        {.args = {"-O1", "-j"},                                          .letter = 0,   .message = false},
        {.args = {"-g3"},                                                .letter = 'g', .message = true },
        {.args = {"-j12345678901234567", "-z10", "-o1", "-g1"},          .letter = 'j', .message = true },
        {.args = {"-G", "1"},                                            .letter = 'G', .message = true },
        {.args = {"-g", "-g2"},                                          .letter = 0,   .message = true },
    };
    for (const auto &c : cases) {
        Outcome     r = RunOn(input, c.args);
        std::string line =
            std::string("h# VELMAR3  \x83\x49\x83\x76\x83\x56\x83\x87\x83\x93\x83\x47"
                        "\x83\x89\x81\x5b(-") +
            c.letter + ")------ \r\n";
        std::string what = c.args[0] + " " + (c.args.size() > 1 ? c.args[1] : "");
        EXPECT_EQ(r.status, 0) << what;
        EXPECT_EQ(r.err, c.message ? "\n illegal Option.\n" : "") << what;
        EXPECT_EQ(r.txt.find(c.letter != 0 ? line : "h#") != std::string::npos, c.letter != 0)
            << what;
        EXPECT_EQ(r.txt.find("cc4") != std::string::npos, c.letter == 0) << what;
    }
}

// The ten colours of -b by their numbers, written once before the balloon's outlines; numbers
// past nine count on from zero.
TEST(Tool, Colours)
{
    const std::string input = EndTickHost();
    const char *const colours[] = {"000000", "ff0000", "008000", "0000ff", "ffa500",
                                   "ee82ee", "00ffff", "a52a2a", "808000", "808080"};
    for (int n = 0; n < 12; n++) {
        const std::string txt = RunOn(input, {"-b" + std::to_string(n)}).txt;
        const std::string line = std::string("lc10 #") + colours[n % 10] + "\r\n";
        EXPECT_NE(txt.find(line), std::string::npos) << n;
        EXPECT_EQ(txt.find("lc10 #"), txt.rfind("lc10 #")) << n;
    }
}

// Frame 7, the text alone: the leader from the middle of the side of the entries' box grown by
// h/4 (h 6, the box 7 wide and 6 high, with -q 15 high) that faces the second point, in eight
// directions; none from within the grown box, one from its edge.
TEST(Tool, TextAloneLeaders)
{
    const struct {
        const char *second; // -q's value, or ""
        double      x2, y2; // the second point; the first is (100, 50)
        double      x1, y1; // where the leader starts
        bool        drawn;
    } cases[] = {
        {"",  130,   50,   105, 50,   true },
        {"",  130,   70,   105, 50,   true },
        {"",  100,   80,   100, 54.5, true },
        {"",  70,    70,   95,  50,   true },
        {"",  70,    50,   95,  50,   true },
        {"",  70,    30,   95,  50,   true },
        {"",  100,   20,   100, 45.5, true },
        {"",  103,   20,   100, 45.5, true },
        {"",  105,   54.5, 100, 54.5, true },
        {"",  105,   53,   105, 50,   true },
        {"",  104.9, 54.4, 0,   0,    false},
        {"4", 100,   80,   100, 59,   true },
        {"4", 105,   20,   100, 41,   true },
        {"4", 130,   58,   105, 50,   true },
        {"4", 80,    42,   95,  50,   true },
        {"4", 104,   58.9, 0,   0,    false},
    };
    for (const auto &c : cases) {
        char at[64], from[160];
        std::snprintf(at, sizeof at, "hp2 %g %g", c.x2, c.y2);
        std::snprintf(from, sizeof from, "sl %.12f %.12f %.12f %.12f\r\n", c.x1, c.y1, c.x2, c.y2);
        std::vector<std::string> args = {"-f7", "-l12", "-h0"};
        if (c.second[0] != '\0')
            args.push_back(std::string("-q") + c.second);
        Outcome r = RunOn(EndTickHost(at), args);
        EXPECT_EQ(r.txt.find(c.drawn ? from : "sl ") != std::string::npos, c.drawn) << at;
    }
}

// A stack of three stands in a row or a column on the side away from the second point, its
// balloons' outlines touching: the third label stands two steps from the first (r 6, h 6, the
// label 3 wide: the frame's full width or height, for frames 5 to 7 the boxes h or h/2 apart).
TEST(Tool, StackPlaces)
{
    const double root3 = std::sqrt(3.0);
    const struct {
        int    frame;
        double row, column; // the steps
    } cases[] = {
        {0, 12,         12},
        {1, 12,         12},
        {2, 24 / root3, 12},
        {3, 12 * root3, 18},
        {4, 12,         12},
        {5, 9,          12},
        {6, 9,          9 },
        {7, 9,          9 },
    };
    for (const auto &c : cases)
        for (int column = 0; column < 2; column++)
            for (int side : {1, -1}) { // the second point up and right, or down and left
                char at[32], label[64];
                std::snprintf(at, sizeof at, "hp2 %d %d", 100 - 30 * side, 50 - 30 * side);
                const double step = 2 * (column ? c.column : c.row) * side;
                std::snprintf(label, sizeof label, "ch %.6f %.6f 3 0 \"3\r\n",
                              100.2 + (column ? 0 : step), 50 + (column ? step : 0));
                Outcome r =
                    RunOn(EndTickHost(at), {"-l1", "-j", "-j", "-h0", "-o" + std::to_string(column),
                                            "-f" + std::to_string(c.frame)});
                EXPECT_NE(r.txt.find(label), std::string::npos)
                    << c.frame << " " << column << " " << side << "\n"
                    << r.txt;
            }
}

// 50000 lines, or pieces of a long line, are read; one more is an overflow: the host's file
// kept, the overflow line in 'QVC_TEMP.$$$'. At level 0 and 3 (the reader's trace level counts
// before reading, the others while reading).
TEST(Tool, LineLimit)
{
    std::string many, copied; // 49998 comment lines of 0 to 96 characters, some with LF alone
    for (int i = 0; i < 49998; i++) {
        std::string line(1, '#');
        line.append(i % 97, static_cast<char>('a' + i % 26));
        many += line + (i % 3 == 0 ? "\n" : "\r\n");
        copied += line + "\r\n";
    }
    const std::string longLine = "# " + std::string(298, 'y') + "\r\n"; // two pieces, one line
    const struct {
        std::string more, copied; // copied: the rest of the copy, or "" for an overflow
    } cases[] = {
        {.more = "#\r\n#\r\n",       .copied = "#\r\n#\r\n"},
        {.more = "#\r\n#\r\n#\r\n",  .copied = ""          },
        {.more = longLine,           .copied = longLine    },
        {.more = "#\r\n" + longLine, .copied = ""          },
    };
    for (const auto &c : cases)
        for (std::string level : {"-t0", "-t3"}) {
            Outcome           r = RunOn(many + c.more, {level});
            const std::string out = level == "-t0" && !c.copied.empty() ? r.txt : r.work;
            EXPECT_EQ(r.status, c.copied.empty() ? 1 : 0) << level;
            EXPECT_EQ(r.err, "");
            if (c.copied.empty()) {
                EXPECT_TRUE(r.txt == many + c.more) << level; // megabytes: no diff printed
                EXPECT_EQ(out, "he  \x97\x76\x91\x66\x90\x94\x83\x49\x81\x5b\x83\x6f\x81\x5b"
                               "    MAX=50000\r\n");
                EXPECT_EQ(r.out.find("##"), std::string::npos); // nothing was read
            } else {
                EXPECT_TRUE(out.substr(0, copied.size() + c.copied.size() + 6) ==
                            copied + c.copied + "cn2 \r\n")
                    << level;
            }
        }
}

// The zip's first run: try.cmd beside the executables and example\QVC_TEMP.TXT, run by cmd.
TEST(Tool, FirstRunFromTheZip)
{
    if (kPosix)
        GTEST_SKIP() << "try.cmd is for Windows";
    Scratch zip;
    fs::create_directory(zip.At("example"));
    for (const char *file : {BUILD_DIR "/balloon.exe", BUILD_DIR "/balloon-preview.exe",
                             SOURCE_DIR "/examples/try.cmd"})
        fs::copy_file(file, zip.At(fs::path(file).filename().string()));
    fs::copy_file(SOURCE_DIR "/examples/QVC_TEMP.TXT", zip.At("example/QVC_TEMP.TXT"));
    Outcome r = RunIn(zip.path, {"/c", "try.cmd"}, "C:\\windows\\system32\\cmd.exe");
    EXPECT_EQ(r.status, 0) << r.out << r.err;
    for (const char *said :
         {"exit status 0", "ch 100.200000 50.000000 3 0 \"\x82\x54\r\n", "The picture of it:"})
        EXPECT_NE(r.out.find(said), std::string::npos) << r.out;
}

// Every tests/golden/NAME.cmd.txt drawn is NAME.svg, with the host's file NAME.host.txt where
// there is one, and the bundled example's command file drawn is the README's picture.
TEST(Preview, GoldenPictures)
{
    const std::vector<std::string> names = Goldens(".cmd.txt");
    EXPECT_EQ(names.size(), 29u); // every picture of the folder
    for (const std::string &name : names) {
        std::vector<std::string> args = {name + ".cmd.txt"};
        if (fs::exists(name + ".host.txt"))
            args.insert(args.end(), {"--host", name + ".host.txt"});
        Outcome r = RunIn(".", args, "balloon-preview");
        EXPECT_EQ(r.status, 0) << name;
        EXPECT_EQ(r.out, ReadFile(name + ".svg")) << name;
    }
    Scratch dir;
    WriteFile(dir.At("QVC_TEMP.TXT"), ReadFile(SOURCE_DIR "/examples/QVC_TEMP.TXT"));
    ASSERT_EQ(RunIn(dir.path, {"-n5", "-b3", "-y1"}).status, 0); // the options of examples/run
    EXPECT_EQ(
        RunIn(dir.path, {"--host", SOURCE_DIR "/examples/QVC_TEMP.TXT"}, "balloon-preview").out,
        ReadFile(SOURCE_DIR "/examples/example.svg"))
        << "examples/run writes the new picture";
}

TEST(Preview, Failures)
{
    const std::vector<Case> cases = Cases("preview-failures.txt");
    EXPECT_EQ(cases.size(), 11u);
    for (const Case &c : cases) {
        Scratch dir;
        WriteFile(dir.At("cmd.txt"), "sl 0 0 1 1\r\n");
        WriteFile(dir.At("empty.txt"), "lg1\r\n# note\r\n");
        Outcome r = RunIn(dir.path, Words(Field(c, "args")), "balloon-preview");
        EXPECT_EQ(r.status, std::stoi(c.at("status"))) << c.at("what");
        EXPECT_EQ(r.err, Field(c, "err")) << c.at("what");
        std::string out = Field(c, "out"), at = "@VERSION@";
        if (out.find(at) != std::string::npos)
            out.replace(out.find(at), at.size(), BALLOON_VERSION);
        EXPECT_EQ(r.out, out) << c.at("what");
    }
}

} // namespace
