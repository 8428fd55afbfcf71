// The host's file under faults, through the real executable: killed runs, files that cannot be
// opened, written, read twice or replaced, and names already taken.
#include "harness.h"

#include <chrono>
#include <filesystem>
#include <gtest/gtest.h>
#include <random>
#include <set>
#include <thread>
#ifdef _WIN32
#include <windows.h>
#else
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace
{

namespace fs = std::filesystem;

// n comment lines and two points: with 6000 lines past the first buffer of a read.
std::string Records(int n)
{
    std::string s;
    for (int i = 0; i < n; i++)
        s += "# comment line " + std::to_string(i) + "\r\n";
    return s + "hp1 0 0\r\nhp2 10 0\r\n";
}

// Killed at any moment, a run leaves the host either its own file or the whole command file.
TEST(Faults, KilledRunsNeverLeaveAHalfFile)
{
    const std::string input = Records(49998);
    auto              start = std::chrono::steady_clock::now();
    const std::string done = RunOn(input).txt;
    auto              span = std::chrono::duration_cast<std::chrono::microseconds>(
                    std::chrono::steady_clock::now() - start)
                    .count();
    std::mt19937 rng(3);
    int          killed = 0, original = 0;
    for (int i = 0; killed < 100 && i < 1000; i++) { // until 100 runs were killed
        Scratch dir;
        WriteFile(dir.At("QVC_TEMP.TXT"), input);
        intptr_t pid = Start(dir.path, {});
        std::this_thread::sleep_for(std::chrono::microseconds(rng() % (span + span / 4 + 1)));
        Kill(pid);
        killed += Wait(pid) == 128 + 9;
        std::string now = ReadFile(dir.At("QVC_TEMP.TXT"));
        ASSERT_TRUE(now == input || now == done) << "run " << i << ": " << now.size() << " bytes";
        original += now == input;
    }
    EXPECT_GE(killed, 100);
    EXPECT_GT(original, 0);
    std::printf("killed %d runs: %d left the host's file\n", killed, original);
}

// In the way: 'd' a directory, 'f' a file, 'l' a symbolic link or 'h' a hard link to target,
// 'p' a FIFO ('m': the host's file has mode 0600). The tool runs as: 'u' a user who may not
// write the host's file, 'q' on a full disk, 'r' built to fail its reads, 'c' with standard
// output closed. left: the names in the directory afterwards.
struct FailureCase {
    const char *what, *host, *taken, kind, *target, *arg, as;
    int         status;
    std::string err;
    const char *left;
    bool        posix; // the situation exists on POSIX only
};

const std::string kOpenTxt = "Cannot open file: QVC_TEMP.TXT \n";
const std::string kOpenWork = "Cannot open file: QVC_TEMP.$$$ \n";
const char       *T = "QVC_TEMP.TXT", *W = "QVC_TEMP.$$$", *L = "qvc_temp.txt";
const char       *TW = "QVC_TEMP.$$$ QVC_TEMP.TXT", *Out = "../o/victim.txt";

// clang-format off
const FailureCase kFailures[] = {
    {"no interchange file",                nullptr, nullptr,       0,   "",        "",    0,   255, kOpenTxt,  "",                         false},
    {"interchange name is a directory",    L,       T,             'd', "",        "",    0,   255, kOpenTxt,  "QVC_TEMP.TXT qvc_temp.txt", true },
    {"temporary name is a directory",      T,       W,             'd', "",        "",    0,   255, kOpenWork, TW,                         false},
    {"first intermediate name a directory", L,      "QVC_x2x2.$$", 'd', "",        "",    0,   255, kOpenTxt,  "QVC_x2x2.$$ qvc_temp.txt", true },
    {"second intermediate name a directory", L,     "QVC_x2x2.$$$", 'd', "",       "",    0,   0,   "",        "QVC_TEMP.TXT QVC_x2x2.$$$", false},
    {"lower-case name is a directory",     T,       L,             'd', "",        "",    0,   0,   "",        "QVC_TEMP.TXT qvc_temp.txt", true },
    {"both names: the lower-case one is the host's", L, T,         'f', "",        "",    0,   0,   "",        T,                          true },
    {"intermediate name left by a run",    L,       "QVC_x2x2.$$$", 'f', "",       "",    0,   0,   "",        T,                          false},
    {"output on a full disk",              T,       nullptr,       0,   "",        "",    'q', 1,   "Cannot write file: QVC_TEMP.$$$ \n", T,  true },
    {"read error part way through",        T,       nullptr,       0,   "",        "",    'r', 1,   "Cannot read file: QVC_TEMP.TXT \n", T,   false},
    {"read error at the tracing level",    T,       nullptr,       0,   "",        "-t3", 'r', 1,   "Cannot read file: QVC_TEMP.TXT \n", TW,  false},
    {"host's file read-only for the user", T,       nullptr,       0,   "",        "",    'u', 255, kOpenTxt,  TW,                         false},
    {"host's file keeps mode 0600",        T,       nullptr,       'm', "",        "",    0,   0,   "",        T,                          true },
    {"link out of the directory",          T,       W,             'l', Out,       "",    0,   0,   "",        T,                          true },
    {"link to the host's file, -t1",       T,       W,             'l', T,         "-t1", 0,   0,   "",        TW,                         true },
    {"dangling link",                      T,       W,             'l', "../o/new", "",   0,   0,   "",        T,                          true },
    {"link to /dev/null",                  T,       W,             'l', "/dev/null", "",  0,   0,   "",        T,                          true },
    {"hard link to the host's file",       T,       W,             'h', T,         "",    0,   0,   "",        T,                          false},
    {"hard link to the host's file, -t1",  T,       W,             'h', T,         "-t1", 0,   0,   "",        TW,                         false},
    {"hard link to a file outside",        T,       W,             'h', Out,       "",    0,   0,   "",        T,                          false},
    {"FIFO at the temporary name",         T,       W,             'p', "",        "",    0,   0,   "",        T,                          true },
    {"FIFO at the interchange name",       nullptr, T,             'p', "",        "-t3", 0,   255, kOpenTxt,  T,                          true },
    {"device at the interchange name",     nullptr, T,             'l', "/dev/null", "",  0,   255, kOpenTxt,  T,                          true },
    {"trace with standard output closed",  T,       nullptr,       0,   "",        "-t3", 'c', 0,   "",        TW,                         true },
};
// clang-format on

// The names in dir, sorted, separated by blanks.
std::string Names(const std::string &dir)
{
    std::set<std::string> names;
    for (const auto &e : fs::directory_iterator(dir))
        names.insert(e.path().filename().string());
    std::string s;
    for (const std::string &n : names)
        s += (s.empty() ? "" : " ") + n;
    return s;
}

// Each failure has its message and status, loses nothing of the host's or in the way, writes
// nothing outside the directory and leaves only the names it should.
TEST(Faults, Failures)
{
    const std::string host = Records(6000), done = RunOn(host).txt;

    for (const FailureCase &c : kFailures) {
#ifdef _WIN32
        if (c.posix)
            continue;
#else
        if (c.as == 'u' && geteuid() != 0) {
            std::printf("skipped without root: %s\n", c.what);
            continue;
        }
#endif
        Scratch root; // the working directory w, and o outside it
        fs::create_directory(root.At("o"));
        WriteFile(root.At("o/victim.txt"), "victim");
        const std::string dir = root.At("w");
        fs::create_directory(dir);
        if (c.host)
            WriteFile(dir + "/" + c.host, host);
        std::string at = c.taken ? dir + "/" + c.taken : "", prefix = "exec ";
        if (c.kind == 'd' && fs::create_directory(at))
            WriteFile(at + "/inside", "kept");
        if (c.kind == 'f')
            WriteFile(at, "old");
        if (c.kind == 'l')
            fs::create_symlink(c.target, at);
        if (c.kind == 'h')
            fs::create_hard_link(dir + "/" + c.target, at);
        if (c.kind == 'm')
            fs::permissions(dir + "/" + T, fs::perms::owner_read | fs::perms::owner_write);
#ifdef _WIN32
        if (c.as == 'u')
            SetFileAttributesA((dir + "/" + T).c_str(), FILE_ATTRIBUTE_READONLY);
#else
        if (c.kind == 'p')
            mkfifo(at.c_str(), 0600);
        if (c.as == 'u') // a directory the user may write, a host's file the user may not
            chmod(dir.c_str(), 0777);
        prefix = c.as == 'u'   ? "exec setpriv --reuid=65534 --regid=65534 --clear-groups "
                 : c.as == 'q' ? "trap '' XFSZ && ulimit -f 1 && exec "
                 : c.as == 'c' ? "exec sh -c 'exec \"$0\" \"$@\" >&-' "
                               : prefix;
#endif
        Outcome r = RunIn(dir, {c.arg}, c.as == 'r' ? "balloon-readfail" : "balloon", prefix);
        EXPECT_EQ(r.status, c.status) << c.what;
        EXPECT_EQ(r.err, c.err) << c.what;

        EXPECT_EQ(Names(dir), c.left) << c.what;
        EXPECT_EQ(Names(root.At("o")), "victim.txt") << c.what;
        EXPECT_EQ(ReadFile(root.At("o/victim.txt")), "victim") << c.what;
        EXPECT_TRUE(c.kind != 'd' || ReadFile(dir + "/" + c.taken + "/inside") == "kept") << c.what;
        EXPECT_EQ(ReadFile(dir + "/QVC_TEMP.$$$").find("##"), std::string::npos) << c.what;

        std::string txt = dir + "/QVC_TEMP.TXT";
        if (c.status == 0 && c.arg[0] == '\0') { // completed: the command file, a file of its own
            EXPECT_TRUE(ReadFile(txt) == done) << c.what;
            EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(txt))) << c.what;
        } else if (c.host) {
            EXPECT_TRUE(ReadFile(dir + "/" + c.host) == host) << c.what;
        }
        EXPECT_TRUE(c.kind != 'm' || (fs::status(txt).permissions() & fs::perms::all) ==
                                         (fs::perms::owner_read | fs::perms::owner_write));
    }
}

// Two runs with different labels started together in one directory: the host's file ends as
// its own records, or as the command file of each run that reported success, in some order.
TEST(Faults, ConcurrentRunsNeverMix)
{
    const std::string input = Records(39998);
    const char       *label[2] = {"-n1", "-n2"};
    std::string       once[2], twice[2]; // twice[k]: run k, then the other one on its result
    for (int k = 0; k < 2; k++) {
        once[k] = RunOn(input, {label[k]}).txt;
        twice[k] = RunOn(once[k], {label[1 - k]}).txt;
    }
#ifdef _WIN32
    const int pairs = 40;
#else
    const int pairs = 100;
#endif
    int done[3] = {}; // pairs by the number of runs that succeeded
    for (int i = 0; i < pairs; i++) {
        Scratch dir;
        WriteFile(dir.At("QVC_TEMP.TXT"), input);
        intptr_t a = Start(dir.path, {label[0]}), b = Start(dir.path, {label[1]});
        int      s[2] = {Wait(a), Wait(b)};
        ASSERT_TRUE((s[0] == 0 || s[0] == 255) && (s[1] == 0 || s[1] == 255)) << s[0] << s[1];
        std::string now = ReadFile(dir.At("QVC_TEMP.TXT"));
        int         ok = (s[0] == 0) + (s[1] == 0);
        if (ok == 2)
            EXPECT_TRUE(now == twice[0] || now == twice[1]) << "pair " << i;
        else
            EXPECT_TRUE(now == (ok == 0 ? input : once[s[0] == 0 ? 0 : 1])) << "pair " << i;
        EXPECT_FALSE(fs::exists(dir.At("QVC_TEMP.$$$"))) << "pair " << i;
        done[ok]++;
    }
    EXPECT_EQ(done[0], 0);
    std::printf("%d pairs: %d with one run stopped, %d with both runs done one after the other\n",
                pairs, done[1], done[2]);
}

} // namespace
