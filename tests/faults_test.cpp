// The host's file under faults, through the real executable: killed runs, files that cannot be
// opened, written, read twice or replaced, and names already taken.
#include "harness.h"

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <gtest/gtest.h>
#include <random>
#include <string>
#include <thread>
#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace
{

namespace fs = std::filesystem;

// Killed at any moment, a run leaves the host either its own file or the whole command file.
TEST(Faults, KilledRunsNeverLeaveAHalfFile)
{
    std::string input;
    for (int i = 0; i < 49998; i++) {
        input.append(i % 2 ? "# comment line " : " ");
        input.append(std::to_string(i));
        input.append(i % 2 ? "\r\n" : ".5 1 2 3\r\n");
    }
    input += "hp1 0 0\r\nhp2 10 0\r\n";
    Scratch ref;
    WriteFile(ref.At("QVC_TEMP.TXT"), input);
    ASSERT_EQ(RunIn(ref.path, {}).status, 0);
    const std::string done = ReadFile(ref.At("QVC_TEMP.TXT"));
    ASSERT_NE(done, input);

    auto start = std::chrono::steady_clock::now();
    ASSERT_EQ(Wait(Start(ref.path, {})), 0); // on the command file: another whole run
    long span = std::chrono::duration_cast<std::chrono::microseconds>(
                    std::chrono::steady_clock::now() - start)
                    .count();

    std::mt19937 rng(3);
    int          killed = 0, original = 0, complete = 0;
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
        complete += now == done;
    }
    EXPECT_GE(killed, 100);
    EXPECT_GT(original, 0);
    std::printf("killed %d runs: %d left the host's file, %d the command file\n", killed, original,
                complete);
}

// The host's records: a comment, 6000 more (past the first buffer, so that a read can fail part
// way through) and a point.
std::string HostRecords()
{
    std::string s = "# host\r\n";
    for (int i = 0; i < 6000; i++)
        s += "# comment line " + std::to_string(i) + "\r\n";
    return s + "hp1 0 0\r\n";
}

struct FailureCase {
    const char *what;
    const char *host;  // the name of the host's file, or nullptr for none
    const char *taken; // a name already taken, or nullptr
    char        kind; // what takes it: 'd' a directory, 'f' a file left by a run, 's' a link out of
                      // the directory, 'i' a link to a file inside it, 'g' a dangling link, 'n' a
                      // link to /dev/null, 'h' a hard link to the host's file, 'o' a hard link to
                      // a file outside, 'p' a FIFO; 'm': the host's file has mode 0600
    const char *arg;  // one option
    char        as; // how the tool runs: 'u' as a user who may not write the host's file, 'q' on a
                    // full disk, 'r' built to fail its reads, 'c' with standard output closed
    int         status;
    std::string err;
    const char *left;  // the names in the directory afterwards
    bool        posix; // the situation exists on POSIX only
};

// clang-format off
const FailureCase kFailures[] = {
    {"no interchange file",                  nullptr,        nullptr,        0,   "",    0,   255, kOpenTxt,  "",                                   false},
    {"interchange name is a directory",      "qvc_temp.txt", "QVC_TEMP.TXT", 'd', "",    0,   255, kOpenTxt,  "QVC_TEMP.TXT qvc_temp.txt",          true },
    {"temporary file is a directory",        "QVC_TEMP.TXT", "QVC_TEMP.$$$", 'd', "",    0,   255, kOpenWork, "QVC_TEMP.$$$ QVC_TEMP.TXT",          false},
    {"first intermediate name a directory",  "qvc_temp.txt", "QVC_x2x2.$$",  'd', "",    0,   255, kOpenTxt,  "QVC_x2x2.$$ qvc_temp.txt",           true },
    {"second intermediate name a directory", "qvc_temp.txt", "QVC_x2x2.$$$", 'd', "",    0,   0,   "",        "QVC_TEMP.TXT QVC_x2x2.$$$",          false},
    {"lower-case name is a directory",       "QVC_TEMP.TXT", "qvc_temp.txt", 'd', "",    0,   0,   "",        "QVC_TEMP.TXT qvc_temp.txt",          true },
    {"intermediate name left by a run",      "qvc_temp.txt", "QVC_x2x2.$$$", 'f', "",    0,   0,   "",        "QVC_TEMP.TXT",                       false},
    {"output on a full disk",                "QVC_TEMP.TXT", nullptr,        0,   "",    'q', 1,   "Cannot write file: QVC_TEMP.$$$ \n", "QVC_TEMP.TXT", true},
    {"read error part way through",          "QVC_TEMP.TXT", nullptr,        0,   "",    'r', 1,   "Cannot read file: QVC_TEMP.TXT \n",  "QVC_TEMP.TXT", false},
    {"read error at the tracing level",      "QVC_TEMP.TXT", nullptr,        0,   "-t3", 'r', 1,   "Cannot read file: QVC_TEMP.TXT \n",  "QVC_TEMP.$$$ QVC_TEMP.TXT", false},
    {"host's file read-only for the user",   "QVC_TEMP.TXT", nullptr,        0,   "",    'u', 255, kOpenTxt,  "QVC_TEMP.$$$ QVC_TEMP.TXT",          false},
    {"host's file keeps mode 0600",          "QVC_TEMP.TXT", nullptr,        'm', "",    0,   0,   "",        "QVC_TEMP.TXT",                       true },
    {"link at the temporary name, outside",  "QVC_TEMP.TXT", "QVC_TEMP.$$$", 's', "",    0,   0,   "",        "QVC_TEMP.TXT",                       true },
    {"link at the temporary name, inside",   "QVC_TEMP.TXT", "QVC_TEMP.$$$", 'i', "-t1", 0,   0,   "",        "QVC_TEMP.$$$ QVC_TEMP.TXT victim",   true },
    {"dangling link at the temporary name",  "QVC_TEMP.TXT", "QVC_TEMP.$$$", 'g', "",    0,   0,   "",        "QVC_TEMP.TXT",                       true },
    {"link to /dev/null at temporary name",  "QVC_TEMP.TXT", "QVC_TEMP.$$$", 'n', "",    0,   0,   "",        "QVC_TEMP.TXT",                       true },
    {"hard link to the host's file",         "QVC_TEMP.TXT", "QVC_TEMP.$$$", 'h', "",    0,   0,   "",        "QVC_TEMP.TXT",                       false},
    {"hard link to the host's file, -t1",    "QVC_TEMP.TXT", "QVC_TEMP.$$$", 'h', "-t1", 0,   0,   "",        "QVC_TEMP.$$$ QVC_TEMP.TXT",          false},
    {"hard link to a file outside",          "QVC_TEMP.TXT", "QVC_TEMP.$$$", 'o', "",    0,   0,   "",        "QVC_TEMP.TXT",                       false},
    {"FIFO at the temporary name",           "QVC_TEMP.TXT", "QVC_TEMP.$$$", 'p', "",    0,   0,   "",        "QVC_TEMP.TXT",                       true },
    {"FIFO at the interchange name",         nullptr,        "QVC_TEMP.TXT", 'p', "-t3", 0,   255, kOpenTxt,  "QVC_TEMP.TXT",                       true },
    {"device at the interchange name",       nullptr,        "QVC_TEMP.TXT", 'n', "",    0,   255, kOpenTxt,  "QVC_TEMP.TXT",                       true },
    {"trace with standard output closed",    "QVC_TEMP.TXT", nullptr,        0,   "-t3", 'c', 0,   "",        "QVC_TEMP.$$$ QVC_TEMP.TXT",          true },
};
// clang-format on

// The names in dir, sorted, separated by blanks.
std::string Names(const std::string &dir)
{
    std::vector<std::string> names;
    for (const auto &e : fs::directory_iterator(dir))
        names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    std::string s;
    for (const std::string &n : names)
        s += (s.empty() ? "" : " ") + n;
    return s;
}

// Puts in place what takes c.taken, and readies the run; returns what goes before the tool on
// its command line.
std::string Plant(const FailureCase &c, const Scratch &root, const std::string &dir)
{
    std::string at = c.taken ? dir + "/" + c.taken : "";
    switch (c.kind) {
    case 'd':
        fs::create_directory(at);
        WriteFile(at + "/inside", "kept");
        break;
    case 'f':
        WriteFile(at, "old");
        break;
    case 's':
        fs::create_symlink("../o/victim.txt", at);
        break;
    case 'i':
        WriteFile(dir + "/victim", "victim");
        fs::create_symlink("victim", at);
        break;
    case 'g':
        fs::create_symlink("../o/new.txt", at);
        break;
    case 'n':
        fs::create_symlink("/dev/null", at);
        break;
    case 'h':
        fs::create_hard_link(dir + "/QVC_TEMP.TXT", at);
        break;
    case 'o':
        fs::create_hard_link(root.At("o/victim.txt"), at);
        break;
    case 'm':
        fs::permissions(dir + "/QVC_TEMP.TXT", fs::perms::owner_read | fs::perms::owner_write);
        break;
#ifndef _WIN32
    case 'p':
        mkfifo(at.c_str(), 0600);
        break;
#endif
    }
#ifdef _WIN32
    if (c.as == 'u')
        SetFileAttributesA((dir + "/QVC_TEMP.TXT").c_str(), FILE_ATTRIBUTE_READONLY);
    return "";
#else
    if (c.as == 'u') // a directory the user may write, a host's file that the user may not
        chmod(dir.c_str(), 0777);
    return c.as == 'u'   ? "exec setpriv --reuid=65534 --regid=65534 --clear-groups "
           : c.as == 'q' ? "trap '' XFSZ && ulimit -f 1 && exec "
           : c.as == 'c' ? "exec sh -c 'exec \"$0\" \"$@\" >&-' "
                         : "exec ";
#endif
}

// Each failure has its message and status, loses nothing of the host's or in the way, writes
// nothing outside the directory and leaves only the names it should.
TEST(Faults, Failures)
{
    const std::string host = HostRecords();
    Scratch           ref;
    WriteFile(ref.At("QVC_TEMP.TXT"), host);
    ASSERT_EQ(RunIn(ref.path, {}).status, 0);
    const std::string done = ReadFile(ref.At("QVC_TEMP.TXT"));

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
        std::string prefix = Plant(c, root, dir);
        Outcome     r = RunIn(dir, {c.arg}, c.as == 'r' ? "balloon-readfail" : "balloon", prefix);
        EXPECT_EQ(r.status, c.status) << c.what;
        EXPECT_EQ(r.err, c.err) << c.what;

        EXPECT_EQ(Names(dir), c.left) << c.what;
        EXPECT_EQ(Names(root.At("o")), "victim.txt") << c.what;
        EXPECT_EQ(ReadFile(root.At("o/victim.txt")), "victim") << c.what;
        if (c.kind == 'i') {
            EXPECT_EQ(ReadFile(dir + "/victim"), "victim") << c.what;
        }
        if (c.kind == 'd') {
            EXPECT_EQ(ReadFile(dir + "/" + c.taken + "/inside"), "kept") << c.what;
        }
        EXPECT_EQ(ReadFile(dir + "/QVC_TEMP.$$$").find("##"), std::string::npos) << c.what;

        std::string txt = dir + "/QVC_TEMP.TXT";
        if (c.status == 0 && c.arg[0] == '\0') { // completed: the command file, a file of its own
            EXPECT_TRUE(ReadFile(txt) == done) << c.what;
            EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(txt))) << c.what;
        } else if (c.host) {
            EXPECT_TRUE(ReadFile(dir + "/" + c.host) == host) << c.what;
        }
        if (c.kind == 'm') {
            EXPECT_EQ(fs::status(txt).permissions() & fs::perms::all,
                      fs::perms::owner_read | fs::perms::owner_write);
        }
    }
}

// Two runs with different labels started together in one directory: the host's file ends as
// its own records, or as the command file of each run that reported success, in some order.
TEST(Faults, ConcurrentRunsNeverMix)
{
    std::string input;
    for (int i = 0; i < 39998; i++)
        input += "# comment line " + std::to_string(i) + "\r\n";
    input += "hp1 0 0\r\nhp2 10 0\r\n";
    const char *label[2] = {"-n1", "-n2"};
    std::string once[2], twice[2]; // twice[k]: run k, then the other one on its result
    for (int k = 0; k < 2; k++) {
        Scratch ref;
        WriteFile(ref.At("QVC_TEMP.TXT"), input);
        ASSERT_EQ(RunIn(ref.path, {label[k]}).status, 0);
        once[k] = ReadFile(ref.At("QVC_TEMP.TXT"));
        ASSERT_EQ(RunIn(ref.path, {label[1 - k]}).status, 0);
        twice[k] = ReadFile(ref.At("QVC_TEMP.TXT"));
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
