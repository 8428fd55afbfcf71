// The driver through the real executable in a scratch directory: the file handshake, the line
// limit, the debug levels and every failure the host can meet.
#include "harness.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <vector>
#ifdef _WIN32
#include <windows.h>
#else
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace
{

namespace fs = std::filesystem;

const std::string kOverflow = "he  \x97\x76\x91\x66\x90\x94\x83\x49\x81\x5b\x83\x6f\x81\x5b    "
                              "MAX=50000\r\n";
const std::string kOpenTxt = "Cannot open file: QVC_TEMP.TXT \n";
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

std::string Lines(int n, const std::string &line)
{
    std::string s;
    for (int i = 0; i < n; i++)
        s += line;
    return s;
}

struct LimitCase {
    std::string input;
    bool        passes;
};

TEST(Driver, LineLimit)
{
    const LimitCase cases[] = {
        {Lines(50000, "# x\r\n"),                          true         },
        {Lines(50001, "# x\r\n"),                          false        },
        {Lines(49999, "# x\r\n") + "# " + std::string(298, 'y') + "\r\n", false}, // counts twice
        {Lines(49998,           "# x\r\n") + "# " + std::string(298,                                    'y') + "\r\n",    true},
        {Lines(60000,       "x\n"),                                          false                                         },
    };
    for (const LimitCase &c : cases) {
        // the reader's trace level counts before reading, the other levels while reading
        for (std::string level : {"-t0", "-t3"}) {
            Scratch dir;
            WriteFile(dir.At("QVC_TEMP.TXT"), c.input);
            RunResult r = RunTool(dir.path, {level});
            EXPECT_EQ(r.err, "");
            if (c.passes) {
                EXPECT_EQ(r.status, 0);
                std::string out =
                    ReadFile(dir.At(level == "-t0" ? "QVC_TEMP.TXT" : "QVC_TEMP.$$$"));
                EXPECT_EQ(out.substr(0, 10), "# x\r\n# x\r\n");
                EXPECT_EQ(Exists(dir.At("QVC_TEMP.$$$")), level == "-t3");
            } else {
                EXPECT_EQ(r.status, 1);
                EXPECT_TRUE(ReadFile(dir.At("QVC_TEMP.TXT")) == c.input);
                EXPECT_EQ(Show(ReadFile(dir.At("QVC_TEMP.$$$"))), Show(kOverflow));
                EXPECT_EQ(r.out.find("##"), std::string::npos); // nothing was read
            }
        }
    }
}

TEST(Driver, CommentsComeBackAndTheWorkFileGoes)
{
    Scratch dir;
    WriteFile(dir.At("QVC_TEMP.TXT"), "# one\r\n#two\n");
    RunResult r = RunTool(dir.path, {"file.dwg", "/s", "-u"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out + r.err, "");
    EXPECT_EQ(Show(ReadFile(dir.At("QVC_TEMP.TXT"))),
              Show("# one\r\n#two\r\n" + kEmptyBalloon + kRestore));
    EXPECT_FALSE(Exists(dir.At("QVC_TEMP.$$$")));
}

TEST(Driver, EmptyFileAndLowerCaseName)
{
    Scratch dir;
    WriteFile(dir.At("qvc_temp.txt"), "");
    RunResult r = RunTool(dir.path, {});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(Show(ReadFile(dir.At("QVC_TEMP.TXT"))), Show(kEmptyBalloon + kRestore));
    std::vector<std::string> names;
    for (const auto &entry : fs::directory_iterator(dir.path))
        names.push_back(entry.path().filename().string());
    EXPECT_EQ(names, std::vector<std::string>{"QVC_TEMP.TXT"}); // the name itself, in upper case
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
        RunResult r = RunTool(dir.path, {level});
        EXPECT_EQ(r.status, 0) << level;
        EXPECT_EQ(ReadFile(dir.At("QVC_TEMP.TXT")), input) << level;
        std::string work = ReadFile(dir.At("QVC_TEMP.$$$"));
        std::string sc = level == "-t2" ? "sc 0 0 0 1 0 -0.785398 1.57001 -1\r\n" : "";
        std::string balloon = kEmptyBalloon;
        balloon.insert(balloon.find("sc "), sc);
        EXPECT_EQ(Show(work),
                  Show("# keep\r\n" + balloon + (level == "-t1" ? trailer : "") + kRestore))
            << level;
    }
}

TEST(Driver, ConsoleTraceAtLevel2)
{
    Scratch dir;
    WriteFile(dir.At("QVC_TEMP.TXT"), "hp1 1 2\r\nhp2 3 4\r\nhp3 5 6\r\n");
    RunResult r = RunTool(dir.path, {"-t2"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "#### debug #### \n"
                     "# Point ---- Kobarn1() --- cnt<3>----- \n"
                     "#     PX[0]=0.0 PY[0]=0.0 \n"
                     "#     PX[1]=1.0 PY[1]=2.0 \n"
                     "#     PX[2]=3.0 PY[2]=4.0 \n"
                     "#     PX[3]=5.0 PY[3]=6.0 \n"
                     "# ------------------ main() Pattern1 end file closing ------------------ \n"
                     "# jd_xmax= 3 stepcnt= 0 Error(1)\n");
}

struct FailureCase {
    const char *what;
    void (*setup)(const Scratch &);
    int         status;
    std::string err;
    const char *keptAt; // where the host's records are afterwards; nullptr: nothing was there
};

const std::string kHost = "# host\r\nhp1 0 0\r\n";

const FailureCase kFailures[] = {
    {"no interchange file",                       [](const Scratch &) {}, 255, kOpenTxt,                             nullptr       },
    {"output on a full disk",
     [](const Scratch &d) {
         WriteFile(d.At("QVC_TEMP.TXT"), kHost);
         fs::create_symlink("/dev/full", d.At("QVC_TEMP.$$$"));
     },                                                                   1,   "Cannot write file: QVC_TEMP.$$$ \n", "QVC_TEMP.TXT"},
    {"intermediate names left by an earlier run",
     [](const Scratch &d) {
         WriteFile(d.At("qvc_temp.txt"), kHost);
         WriteFile(d.At("QVC_x2x2.$$"), "old");
         WriteFile(d.At("QVC_x2x2.$$$"), "old");
     },                                                                   0,   "",                                   nullptr       },
};

TEST(Driver, Failures)
{
    for (const FailureCase &c : kFailures) {
#ifdef _WIN32
        if (std::string(c.what) == "output on a full disk")
            continue; // no device that is always full
#endif
        Scratch dir;
        c.setup(dir);
        RunResult r = RunTool(dir.path, {});
        EXPECT_EQ(r.status, c.status) << c.what;
        EXPECT_EQ(r.err, c.err) << c.what;
        if (c.keptAt != nullptr)
            EXPECT_EQ(ReadFile(dir.At(c.keptAt)), kHost) << c.what;
        else if (c.status == 0) // completed: the command file replaced the host's
            EXPECT_EQ(ReadFile(dir.At("QVC_TEMP.TXT")).substr(0, 14), "# host\r\ncn2 \r\n")
                << c.what;
        else // nothing to lose, and nothing created
            EXPECT_TRUE(fs::is_empty(dir.path)) << c.what;
    }
}

// The command file cannot replace the host's: status -1, both files kept.
TEST(Driver, ReplacementFailureKeepsBothFiles)
{
    Scratch dir;
    WriteFile(dir.At("QVC_TEMP.TXT"), kHost);
#ifdef _WIN32
    // Held open without delete sharing, the host's file can be read but not replaced.
    HANDLE held = CreateFileA(dir.At("QVC_TEMP.TXT").c_str(), GENERIC_READ, FILE_SHARE_READ,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    RunResult r = RunTool(dir.path, {});
    CloseHandle(held);
#else
    if (geteuid() != 0)
        GTEST_SKIP() << "needs root to run the tool as another user";
    // In a sticky directory only a file's owner may replace it: the tool, run as another
    // user, can read the host's file and write its own, but not put it in place.
    chmod(dir.path.c_str(), 01777);
    RunResult r = RunToolAs(dir.path, {}, 65534);
#endif
    EXPECT_EQ(r.status, 255);
    EXPECT_EQ(r.err, kOpenTxt);
    EXPECT_EQ(ReadFile(dir.At("QVC_TEMP.TXT")), kHost);
    EXPECT_EQ(ReadFile(dir.At("QVC_TEMP.$$$")).substr(0, 8), "# host\r\n");
}

} // namespace

namespace
{

TEST(Driver, LargeFileComesBackWhole)
{
    std::string input, copied;
    for (int i = 0; i < 49990; i++) {
        std::string line(1, '#');
        line.append(i % 97, static_cast<char>('a' + i % 26));
        input += line + (i % 3 == 0 ? "\n" : "\r\n");
        copied += line + "\r\n";
    }
    Scratch dir;
    WriteFile(dir.At("QVC_TEMP.TXT"), input);
    RunResult r = RunTool(dir.path, {});
    EXPECT_EQ(r.status, 0);
    std::string out = ReadFile(dir.At("QVC_TEMP.TXT"));
    EXPECT_TRUE(out.compare(0, copied.size(), copied) == 0);
    EXPECT_EQ(out.substr(copied.size(), 6), "cn2 \r\n");
}

} // namespace
