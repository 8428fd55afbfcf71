// The driver through the real executable in a scratch directory: the file handshake, the line
// limit and the debug levels.
#include "harness.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace
{

namespace fs = std::filesystem;

const std::string kOverflow = "he  \x97\x76\x91\x66\x90\x94\x83\x49\x81\x5b\x83\x6f\x81\x5b    "
                              "MAX=50000\r\n";
const std::string kRestore = Crlf({"lg14", "ly14", "lt20", "lc20"});

// The command file of a run without points and text sizes, label "0", before the restore block.
const std::string kEmptyBalloon =
    Crlf({"cn2 ", "lc10 #000000",
          "sc 0.0000000000 0.0000000000 0.0000000000 1.0000000000 0.0000000000 -0.7853981634 "
          "1.5700113211 -1.00",
          "sl 0.000000000000 0.000000000000 0.000000000000 0.000000000000 0.000000000000 "
          "0.000000000000",
          "sl 0.000000000000 0.000000000000 0.000000000000 0.000000000000 0.000000000000 "
          "0.000000000000",
          "so 0.0000000000 0.0000000000 0.0000000000 1.0000000000 0.0000000000 0.0000000000 "
          "6.2831853072 0.000000",
          "sl 0.000000000000 0.000000000000 0.000000000000 0.000000000000", "cc4 ",
          "ch 0.100000 0.000000 3 0 \"\x82\x4f"});

// 49998 comment lines of 0 to 96 characters, some with LF alone, and what comes back of them.
struct Comments {
    std::string input, copied;
    Comments()
    {
        for (int i = 0; i < 49998; i++) {
            std::string line(1, '#');
            line.append(i % 97, static_cast<char>('a' + i % 26));
            input += line + (i % 3 == 0 ? "\n" : "\r\n");
            copied += line + "\r\n";
        }
    }
};

TEST(Driver, LineLimit)
{
    static const Comments many;
    const std::string     longLine = "# " + std::string(298, 'y') + "\r\n"; // two pieces
    struct {
        std::string input, copied; // copied: the start of the command file, or "" for overflow
    } const cases[] = {
        {many.input + "#\r\n#\r\n",      many.copied + "#\r\n#\r\n"          }, // 50000 lines
        {many.input + "#\r\n#\r\n#\r\n", ""                                  }, // 50001 lines
        {many.input + longLine,          many.copied + "# " + std::string(252, 'y')}, // 50000 pieces
        {many.input + "#\r\n" + longLine,                              ""                                   }, // 50001 pieces
    };
    for (const auto &c : cases) {
        // the reader's trace level counts before reading, the other levels while reading
        for (std::string level : {"-t0", "-t3"}) {
            Scratch dir;
            WriteFile(dir.At("QVC_TEMP.TXT"), c.input);
            RunResult r = RunIn(dir.path, {level});
            EXPECT_EQ(r.err, "");
            if (!c.copied.empty()) {
                EXPECT_EQ(r.status, 0);
                std::string out =
                    ReadFile(dir.At(level == "-t0" ? "QVC_TEMP.TXT" : "QVC_TEMP.$$$"));
                EXPECT_TRUE(out.compare(0, c.copied.size(), c.copied) == 0) << level;
                EXPECT_EQ(out.substr(c.copied.size(), 6), "cn2 \r\n") << level;
            } else {
                EXPECT_EQ(r.status, 1);
                EXPECT_TRUE(ReadFile(dir.At("QVC_TEMP.TXT")) == c.input);
                EXPECT_EQ(Show(ReadFile(dir.At("QVC_TEMP.$$$"))), Show(kOverflow));
                EXPECT_EQ(r.out.find("##"), std::string::npos); // nothing was read
            }
        }
    }
}

// A completed run: the copied lines, the balloon, the restore block, under the upper-case name
// alone, whatever name the host used and whatever other arguments it gave.
TEST(Driver, CommandFileReplacesTheHostsFile)
{
    struct {
        const char              *name;
        std::string              input, copied;
        std::vector<std::string> args;
    } const cases[] = {
        {"QVC_TEMP.TXT", "# one\r\n#two\n", "# one\r\n#two\r\n", {"file.dwg", "/s", "-u"}},
        {"qvc_temp.txt", "",                "",                  {}                      },
    };
    for (const auto &c : cases) {
        Scratch dir;
        WriteFile(dir.At(c.name), c.input);
        RunResult r = RunIn(dir.path, c.args);
        EXPECT_EQ(r.status, 0);
        EXPECT_EQ(r.out + r.err, "");
        EXPECT_EQ(Show(ReadFile(dir.At("QVC_TEMP.TXT"))),
                  Show(c.copied + kEmptyBalloon + kRestore));
        std::vector<std::string> names;
        for (const auto &entry : fs::directory_iterator(dir.path))
            names.push_back(entry.path().filename().string());
        EXPECT_EQ(names, std::vector<std::string>{"QVC_TEMP.TXT"}) << c.name;
    }
}

TEST(Driver, DebugLevelsLeaveTheHostsFile)
{
    const std::string input = "# keep\r\nhp1 0 0\r\n";
    const std::string trailer =
        Crlf({"# ------------------ main() Pattern1 end file closing ------------------ ",
              "#    jd_xmax= 2 stepcnt= 0 KYlengTotal= 0.00000000"});
    for (std::string level : {"-t1", "-t2", "-t3", "-t4", "-t5", "/T6"}) {
        Scratch dir;
        WriteFile(dir.At("QVC_TEMP.TXT"), input);
        RunResult r = RunIn(dir.path, {level});
        EXPECT_EQ(r.status, 0) << level;
        EXPECT_EQ(ReadFile(dir.At("QVC_TEMP.TXT")), input) << level;
        std::string sc = level == "-t2" ? "sc 0 0 0 1 0 -0.785398 1.57001 -1\r\n" : "";
        std::string balloon = kEmptyBalloon;
        balloon.insert(balloon.find("sc "), sc);
        EXPECT_EQ(Show(ReadFile(dir.At("QVC_TEMP.$$$"))),
                  Show("# keep\r\n" + balloon + (level == "-t1" ? trailer : "") + kRestore))
            << level;
    }
}

} // namespace
