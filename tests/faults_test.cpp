// The host's file under faults, through the real executable: killed runs, files that cannot be
// opened, written, read twice or replaced, and names already taken.
#include "harness.h"

#include <chrono>
#include <filesystem>
#include <gtest/gtest.h>
#include <map>
#include <random>
#include <set>
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
TEST(Faults, KilledRunsNeverLeaveAHalfFile)
{
    using Clock = std::chrono::steady_clock;
    const std::string input = Records(49998), done = RunOn(input).txt;
    const auto        begin = Clock::now();
    auto span = Clock::duration::max(); // the shortest whole run yet: the kills land within it
    std::mt19937 rng(3);
    int          killed = 0, original = 0;
    for (int i = 0; killed < 100 && Clock::now() - begin < std::chrono::seconds(120); i++) {
        const int  signals[] = {9, 15, 2, 1, 15}, sig = kPosix ? signals[i % 5] : 9;
        const bool ignored = kPosix && i % 5 == 4, measure = i < 3;
        Scratch    dir;
        WriteFile(dir.At("QVC_TEMP.TXT"), input);
        auto     start = Clock::now();
        intptr_t pid = Start(dir.path, {}, "balloon", ignored ? As::TermIgnored : As::Caller);
        if (!measure) {
            auto us = span / std::chrono::microseconds(1);
            std::this_thread::sleep_for(std::chrono::microseconds(rng() % (us + us / 4 + 1)));
            Kill(pid, sig);
        }
        int status = Wait(pid);
        if (status == 0)
            span = std::min(span, Clock::now() - start);
        killed += !measure && status == 128 + sig;
        std::string now = ReadFile(dir.At("QVC_TEMP.TXT"));
        ASSERT_TRUE(now == input || now == done) << "run " << i << ": " << now.size() << " bytes";
        ASSERT_TRUE(sig == 9 || !fs::exists(dir.At("QVC_TEMP.$$$"))) << "run " << i;
        ASSERT_TRUE(!ignored || (status == 0 && now == done)) << "run " << i;
        original += now == input;
    }
    EXPECT_GE(killed, 30); // a loaded machine ends the loop by time
    EXPECT_GT(original, 0);
    std::printf("killed %d runs: %d left the host's file\n", killed, original);
}

const char *T = "QVC_TEMP.TXT", *W = "QVC_TEMP.$$$", *L = "qvc_temp.txt";

// One situation of tests/golden/failures.txt, each field as written there.
struct FailureCase {
    std::string what, host = T, mode, taken, kind, target, arg, as, fault, deep, overflow, hold,
                      share = "0", holdMs = "1200", status = "0", err, left = T, on;
};

// The cases of tests/golden/failures.txt: "what | name=value | ...", "\n" a line end.
std::vector<FailureCase> Failures()
{
    using F = FailureCase;
    // clang-format off
    static const std::map<std::string, std::string F::*> fields = {
        {"host", &F::host}, {"mode", &F::mode}, {"taken", &F::taken}, {"kind", &F::kind},
        {"target", &F::target}, {"arg", &F::arg}, {"as", &F::as}, {"fault", &F::fault},
        {"deep", &F::deep}, {"hold", &F::hold}, {"share", &F::share}, {"holdMs", &F::holdMs},
        {"status", &F::status}, {"err", &F::err}, {"left", &F::left}, {"on", &F::on},
        {"overflow", &F::overflow}};
    // clang-format on
    std::vector<FailureCase> cases;
    std::istringstream       in(ReadFile(SOURCE_DIR "/tests/golden/failures.txt"));
    for (std::string line; std::getline(in, line);) {
        if (line.empty() || line[0] == '#')
            continue;
        FailureCase c;
        size_t      at = line.find(" | ");
        c.what = line.substr(0, at);
        while (at != std::string::npos) {
            size_t      next = line.find(" | ", at + 3), eq = line.find('=', at);
            std::string value;
            for (size_t k = eq + 1; k < std::min(next, line.size()); k++)
                value += line.compare(k, 2, "\\n") == 0 ? (k++, '\n') : line[k];
            c.*fields.at(line.substr(at + 3, eq - at - 3)) = value;
            at = next;
        }
        cases.push_back(c);
    }
    return cases;
}

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
    const std::string records = Records(6000), done = RunOn(records).txt, over = Records(49999);
    // clang-format off
    const std::map<std::string, As> as = {
        {"", As::Caller}, {"other user", As::OtherUser}, {"file limit", As::FileLimit},
        {"no room", As::NoRoom}, {"stdout closed", As::StdoutClosed}, {"term ignored", As::TermIgnored}};
    // clang-format on
    const std::vector<FailureCase> cases = Failures();
    EXPECT_EQ(cases.size(), 50u); // every row of the file, none lost
    for (const FailureCase &c : cases) {
        if (c.on == (kPosix ? "windows" : "posix") || (c.as == "other user" && !kRoot))
            continue; // only root may run the tool as another user
        Scratch root; // the working directory, and o outside it
        fs::create_directory(root.At("o"));
        WriteFile(root.At("o/victim.txt"), "victim");
        const std::string dir = root.At(c.deep.empty() ? "w"
                                                       : std::string(250 - root.path.size(), 'd')),
                          at = dir + "/" + c.taken, txt = dir + "/" + T;
        fs::create_directory(dir);
        const std::string &host = c.overflow.empty() ? records : over;
        if (!c.host.empty())
            WriteFile(dir + "/" + c.host, host);
        if (c.kind == "directory" && fs::create_directory(at))
            WriteFile(at + "/inside", "kept");
        if (c.kind == "file" || c.kind == "read-only file")
            WriteFile(at, "old");
        if (c.kind == "read-only file")
            fs::permissions(at, fs::perms::owner_read);
        if (c.kind == "symlink") // Wine makes none: there Linux's ln does
            Wait(Start(dir, {"-s", c.target, c.taken}, "/bin/ln"));
        if (c.kind == "hard link")
            fs::create_hard_link(dir + "/" + c.target, at);
        if (c.kind == "copy")
            Wait(Start(dir, {c.target, c.taken}, "/bin/cp"));
        if (c.kind == "fifo")
            MakeFifo(at);
        if (c.mode == "private")
            fs::permissions(txt, fs::perms::owner_read | fs::perms::owner_write);
        if (c.mode == "hidden")
            MakeHidden(txt);
        if (c.as == "other user")
            ForbidWrites(dir, txt);
        SetFault(c.fault);
        Outcome r =
            !c.hold.empty()
                ? RunIn(dir, {c.hold, c.share, c.holdMs, c.arg}, "balloon-hold")
                : RunIn(dir, {c.arg}, c.fault.empty() ? "balloon" : "balloon-faults", as.at(c.as));
        SetFault("");
        EXPECT_EQ(r.status, std::stoi(c.status)) << c.what;
        EXPECT_EQ(r.err, c.err) << c.what;

        EXPECT_EQ(Names(dir), c.left) << c.what;
        EXPECT_EQ(Names(root.At("o")), "victim.txt") << c.what;
        EXPECT_EQ(ReadFile(root.At("o/victim.txt")), "victim") << c.what;
        EXPECT_TRUE(c.kind != "directory" || ReadFile(at + "/inside") == "kept") << c.what;
        EXPECT_EQ(ReadFile(dir + "/QVC_TEMP.$$$").find("##"), std::string::npos) << c.what;
        EXPECT_TRUE(c.kind != "copy" || ReadFile(at) == "victim") << c.what;

        const bool completed = c.status == "0" && c.arg.empty();
        if (completed) { // the command file, a file of its own
            EXPECT_TRUE(c.host.empty() || ReadFile(txt) == done) << c.what;
            EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(txt))) << c.what;
        }
        const bool linked = c.kind == "symlink" && c.target == c.host;
        if (!c.host.empty() && (!completed || linked)) { // the host's records, as they were
            EXPECT_TRUE(ReadFile(dir + "/" + c.host) == host) << c.what;
        }
        EXPECT_TRUE(c.mode != "private" || (fs::status(txt).permissions() & fs::perms::all) ==
                                               (fs::perms::owner_read | fs::perms::owner_write));
        EXPECT_TRUE(c.mode != "hidden" || IsHidden(txt)) << c.what;
        if (c.kind == "symlink") // Wine would remove what it points at
            Wait(Start(dir, {"-f", c.taken}, "/bin/rm"));
        Release(txt);
    }
}

// Each call of the floor made to fail in turn over whole runs (the host's file under either
// name, level 0 and -t1): the status and message are those of the failure, or 0 where the run
// could do without the call; the host's file is its records or the whole command file, and no
// partial command file stays at level 0.
TEST(Faults, EveryCallOfTheFloorFailing)
{
    const std::string input = Records(6000), done = RunOn(input).txt;
    const struct {
        const char *host, *arg;
    } runs[] = {
        {T, ""   },
        {L, ""   },
        {T, "-t1"}
    };
    std::set<std::string> kinds;
    for (const auto &run : runs) {
        for (int n = 1;; n++) {
            Scratch dir;
            WriteFile(dir.At(run.host), input);
            SetFault(std::to_string(n));
            Outcome r = RunIn(dir.path, {run.arg}, "balloon-faults");
            SetFault("");
            if (r.err.find("os fault: ") != 0) { // past the run's last call
                EXPECT_EQ(r.status, 0) << run.host << run.arg;
                std::printf("%s %s: %d calls of the floor\n", run.host, run.arg, n - 1);
                break;
            }
            std::string kind = r.err.substr(10, r.err.find('\n') - 10), names = Names(dir.path);
            std::string at = kind + " " + std::to_string(n) + " " + run.host + run.arg;
            bool        io = kind == "read" || kind == "write" || kind == "sync" || kind == "close";
            std::string message = r.err.substr(r.err.find('\n') + 1);
            kinds.insert(kind);
            EXPECT_TRUE(r.status == 0 || r.status == (io ? 1 : 255)) << at << ": " << r.status;
            const char *said = r.status == 0     ? ""
                               : r.status == 255 ? "Cannot open file: "
                               : kind == "read"  ? "Cannot read file: "
                                                 : "Cannot write file: ";
            EXPECT_TRUE(message.rfind(said, 0) == 0 && (r.status != 0 || message.empty()))
                << at << ": " << message;
            const bool        upper = names.find(T) != std::string::npos;
            const std::string host = ReadFile(dir.At(upper ? T : L));
            EXPECT_TRUE(host == input || (run.arg[0] == '\0' && r.status == 0 && host == done))
                << at;
            if (run.arg[0] == '\0' && names.find(W) != std::string::npos) {
                EXPECT_TRUE(ReadFile(dir.At(W)) == done) << at;
            }
        }
    }
    EXPECT_EQ(kinds.size(), 9u); // open, create, remove, lock, read, write, sync, rename, close
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
            EXPECT_TRUE(now == (ok == 0 ? input : once[s[0] == 0 ? 0 : 1])) << "pair " << i;
        EXPECT_FALSE(fs::exists(dir.At("QVC_TEMP.$$$"))) << "pair " << i;
        done[ok]++;
    }
    EXPECT_EQ(done[0], 0);
    std::printf("%d pairs: %d with one run stopped, %d with both runs done one after the other\n",
                pairs, done[1], done[2]);
}

} // namespace
