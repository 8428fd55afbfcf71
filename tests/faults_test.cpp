// The host's file under faults, through the real executable: killed runs, files that cannot be
// opened, written, read twice or replaced, and names already taken.
#include "harness.h"

#include <chrono>
#include <filesystem>
#include <gtest/gtest.h>
#include <random>
#include <sstream>
#include <thread>

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

// Killed at any moment, a run leaves the host either its own file or the whole command file;
// ended by SIGTERM, SIGINT or SIGHUP (POSIX), no partial command file; SIGTERM ignored stays so.
// Every other run numbers on from 7: the file of numbers holds 8 only beside the balloon with 8.
TEST(Faults, KilledRunsNeverLeaveAHalfFile)
{
    using Clock = std::chrono::steady_clock;
    const std::string input = Records(49998);
    const auto        begin = Clock::now();
    const std::string done = RunOn(input).txt;
    Scratch           eight;
    WriteFile(eight.At("QVC_TEMP.TXT"), input);
    WriteFile(eight.At("QVC_NEXT.TXT"), "7\r\n");
    RunIn(eight.path, {"-i"});
    const std::string done8 = ReadFile(eight.At("QVC_TEMP.TXT"));
    const long long   us = (Clock::now() - begin) / std::chrono::microseconds(1); // one whole run
    std::mt19937      rng(3);
    int               killed = 0, original = 0;
    for (int i = 0; killed < 100 && Clock::now() - begin < std::chrono::seconds(120); i++) {
        const int  signals[] = {9, 15, 2, 1, 15}, sig = kPosix ? signals[i % 5] : 9;
        const bool ignored = kPosix && i % 5 == 4;
        Scratch    dir;
        WriteFile(dir.At("QVC_TEMP.TXT"), input);
        const bool numbering = i % 2 == 1;
        WriteFile(dir.At("QVC_NEXT.TXT"), "7\r\n");
        intptr_t pid =
            Start(dir.path, Words(numbering ? "-i" : ""), "balloon", ignored ? "term ignored" : "");
        std::this_thread::sleep_for(std::chrono::microseconds(rng() % (us + us / 4 + 1)));
        Kill(pid, sig);
        int status = Wait(pid);
        // a signal ends the run as it would have (Wine may end a run killed while it starts
        // in its own way)
        ASSERT_TRUE(!kPosix || status == 0 || status == 128 + sig) << "run " << i << ": " << status;
        killed += status == 128 + sig;
        std::string now = ReadFile(dir.At("QVC_TEMP.TXT")), next = ReadFile(dir.At("QVC_NEXT.TXT"));
        const std::string &whole = numbering ? done8 : done;
        ASSERT_TRUE(now == input || now == whole) << "run " << i << ": " << now.size() << " bytes";
        ASSERT_TRUE(next == "7\r\n" || (numbering && next == "8\r\n" && now == whole)) << i;
        ASSERT_TRUE(sig == 9 || !fs::exists(dir.At("QVC_TEMP.$$$"))) << "run " << i;
        ASSERT_TRUE(sig == 9 || !fs::exists(dir.At("QVC_NEXT.$$$"))) << "run " << i;
        ASSERT_TRUE(!ignored || (status == 0 && now == whole)) << "run " << i;
        original += now == input;
    }
    EXPECT_GE(killed, 30); // a loaded machine ends the loop by time
    EXPECT_GT(original, 0);
    std::printf("killed %d runs: %d left the host's file\n", killed, original);
}

const char *T = "QVC_TEMP.TXT", *W = "QVC_TEMP.$$$", *N = "QVC_NEXT.TXT";

// Runs a command of Linux's shell in root, under Wine too (which makes no links, and opens a name
// that differs in case only). Wine does not wait for a Linux program: the command leaves a mark.
void Shell(const Scratch &root, const std::string &command)
{
    Wait(Start(root.path, {"-c", "(" + command + "); touch done"}, "/bin/sh"));
    const auto end =
        std::chrono::steady_clock::now() + std::chrono::seconds(30); // a loaded machine
    while (!fs::exists(root.At("done")) && std::chrono::steady_clock::now() < end)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    fs::remove(root.At("done"));
}

// The names in the folder sub of root as Linux lists them (Wine would hide a dangling link and
// a link loop), sorted, separated by blanks.
std::string Names(const Scratch &root, const std::string &sub)
{
    Shell(root, "LC_ALL=C ls -A '" + sub + "' > names");
    std::istringstream in(ReadFile(root.At("names")));
    fs::remove(root.At("names"));
    std::string s;
    for (std::string name; std::getline(in, name);)
        s += (s.empty() ? "" : " ") + name;
    return s;
}

// Each failure has its message and status, loses nothing of the host's or in the way, writes
// nothing outside the directory and leaves only the names it should; the file of numbers holds
// a new label only where the host's file holds the balloon that carries it.
TEST(Faults, Failures)
{
    const std::string                  records = Records(6000), over = Records(49999);
    std::map<std::string, std::string> done; // the command file of a fresh run, by its option
    const std::vector<Case>            cases = Cases("failures.txt");
    EXPECT_EQ(cases.size(), 203u); // every row of the file, none lost
    for (const Case &c : cases) {
        const std::string what = c.at("what"), host = Field(c, "host", T), arg = Field(c, "arg"),
                          as = Field(c, "as"), fault = Field(c, "fault"), hold = Field(c, "hold"),
                          same = Field(c, "done", arg.empty() ? "yes" : "");
        if (Field(c, "on") == (kPosix ? "windows" : "posix") || (as == "other user" && !kRoot))
            continue; // only root may run the tool as another user
        if (!done.count(same))
            done[same] = RunOn(records, Words(same == "yes" ? "" : same)).txt;
        Scratch root; // the working directory, and o outside it
        fs::create_directory(root.At("o"));
        WriteFile(root.At("o/victim.txt"), "victim");
        const std::string dir = root.At(c.count("deep") ? std::string(250 - root.path.size(), 'd')
                                                        : "w"),
                          txt = dir + "/" + T, numbers = dir + "/" + N;
        fs::create_directory(dir);
        const std::string &input = c.count("overflow") ? over : records;
        if (c.count("next"))
            WriteFile(numbers, c.at("next"));
        for (int i = 1; i < std::stoi(Field(c, "runs", "1")); i++) { // the runs before this one
            WriteFile(txt, input);
            RunIn(dir, Words(arg));
        }
        if (!host.empty())
            WriteFile(dir + "/" + host, input);
        if (c.count("plant"))
            Shell(root, "cd " + fs::path(dir).filename().string() + " && " + c.at("plant"));
        Hidden(txt, c.count("hidden") > 0);
        std::map<std::string, std::string> kept; // each kept file as it was
        std::istringstream                 names(Field(c, "kept"));
        for (std::string name; names >> name;)
            kept[name] = ReadFile(dir + "/" + name);
        std::error_code ec;
        const fs::perms mode = fs::status(txt, ec).permissions(); // none for a link loop
        const fs::perms nmode = fs::status(numbers, ec).permissions();
        SetFault(fault);
        Outcome r =
            !hold.empty()
                ? RunIn(dir, {hold, Field(c, "share", "0"), Field(c, "holdMs", "1200"), arg},
                        "balloon-hold")
                : RunIn(dir, Words(arg), fault.empty() ? "balloon" : "balloon-faults", as);
        SetFault("");
        EXPECT_EQ(r.status, std::stoi(Field(c, "status", "0"))) << what;
        EXPECT_EQ(r.err, Field(c, "err")) << what;

        EXPECT_EQ(Names(root, fs::path(dir).filename().string()), Field(c, "left", T)) << what;
        EXPECT_EQ(Names(root, "o"), "victim.txt") << what;
        EXPECT_EQ(ReadFile(root.At("o/victim.txt")), "victim") << what;
        for (const auto &[name, was] : kept)
            EXPECT_EQ(ReadFile(dir + "/" + name), was) << what << ": " << name;
        EXPECT_EQ(ReadFile(dir + "/QVC_TEMP.$$$").find("##"), std::string::npos) << what;
        EXPECT_EQ(Hidden(txt), c.count("hidden") > 0) << what;
        EXPECT_TRUE(!c.count("whole") || ReadFile(dir + "/" + W) == done[same]) << what;
        if (c.count("next") || c.count("counter")) { // a FIFO there is never opened
            EXPECT_EQ(ReadFile(numbers), Field(c, "counter", Field(c, "next"))) << what;
            EXPECT_TRUE(!c.count("next") || fs::status(numbers, ec).permissions() == nmode) << what;
        }
        EXPECT_TRUE(!c.count("drawn") || // a FIFO at the host's name is never opened
                    (ReadFile(txt) + ReadFile(dir + "/" + W)).find(c.at("drawn")) !=
                        std::string::npos)
            << what;

        if ((r.status == 0 || c.count("replaced")) && !same.empty()) { // a file of its own
            EXPECT_TRUE(host.empty() || ReadFile(txt) == done[same]) << what;
            EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(txt))) << what;
            EXPECT_TRUE(host != T || fs::status(txt).permissions() == mode) << what;
        } else if (!host.empty() && (r.status != 0 || arg.find("-t") != std::string::npos)) {
            const std::string at = Field(c, "records", fs::is_regular_file(txt, ec) ? T : host);
            EXPECT_EQ(ReadFile(dir + "/" + at), input) << what;
        }
        Shell(root, "rm -rf ./*"); // links too, not what they reach
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
    const int pairs = kPosix ? 100 : 40; // Wine starts a process in tens of milliseconds
    int       done[3] = {};              // pairs by the number of runs that succeeded
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
            EXPECT_EQ(now, ok == 0 ? input : once[s[0] == 0 ? 0 : 1]) << "pair " << i;
        EXPECT_FALSE(fs::exists(dir.At("QVC_TEMP.$$$"))) << "pair " << i;
        done[ok]++;
    }
    EXPECT_EQ(done[0], 0);
    std::printf("%d pairs: %d with one run stopped, %d with both runs done one after the other\n",
                pairs, done[1], done[2]);
}

// Ten numbering runs started together in one folder are taken one after the other, each waiting
// for the folder while another holds it: all of them draw, every number once, and the host's
// file and the file of numbers end as after ten runs in a row.
TEST(Faults, ConcurrentNumberingRunsAllDraw)
{
    const int         runs = 10;
    const std::string input = Records(3998);
    Scratch           seq;
    WriteFile(seq.At(T), input);
    for (int k = 0; k < runs; k++)
        RunIn(seq.path, {"-i"});
    const std::string drawn = ReadFile(seq.At(T));
    for (int i = 0; i < (kPosix ? 10 : 3); i++) {
        Scratch dir;
        WriteFile(dir.At(T), input);
        std::vector<intptr_t> started;
        for (int k = 0; k < runs; k++)
            started.push_back(Start(dir.path, {"-i"}));
        int ok = 0;
        for (intptr_t p : started)
            ok += Wait(p) == 0;
        EXPECT_EQ(ok, runs) << "round " << i;
        EXPECT_EQ(ReadFile(dir.At(T)), drawn) << "round " << i;
        EXPECT_EQ(ReadFile(dir.At(N)), std::to_string(runs) + "\r\n") << "round " << i;
        EXPECT_FALSE(fs::exists(dir.At("QVC_NEXT.$$$"))) << "round " << i;
    }
}

} // namespace
