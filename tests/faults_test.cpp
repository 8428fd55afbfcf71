// The host's file under faults, through the real executable: killed runs, files that cannot be
// opened, written, read twice or replaced, and names already taken.
#include "harness.h"

#include <chrono>
#include <filesystem>
#include <gtest/gtest.h>
#include <random>
#include <set>
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

const std::string kOpenTxt = "Cannot open file: QVC_TEMP.TXT \n";
const std::string kOpenWork = "Cannot open file: QVC_TEMP.$$$ \n";
const std::string kWrite = "Cannot write file: QVC_TEMP.$$$ \n";
const std::string kRead = "Cannot read file: QVC_TEMP.TXT \n";
const std::string kReadFault = "os fault: read\n" + kRead; // the second read of the host's file
const char       *T = "QVC_TEMP.TXT", *W = "QVC_TEMP.$$$", *L = "qvc_temp.txt";
const char       *S1 = "QVC_x2x2.$$", *S2 = "QVC_x2x2.$$$", *Out = "../o/victim.txt";
const char       *TW = "QVC_TEMP.$$$ QVC_TEMP.TXT";

// What stands at the name taken before the run; on which platforms a row runs.
// Copy: of the target, by Linux's cp (Wine would open a name differing in case only instead).
enum class Taken { Nothing, Directory, File, ReadOnlyFile, SymLink, HardLink, Copy, Fifo };
enum class On { Both, Posix, Windows };

// One situation: the host's file (nullptr: none), what takes a name before the run, how the
// tool runs (hold: while another program holds that name as share says, for holdMs; fault: the
// call of the floor that fails, see faultseam.cpp; overflow: a host's file over the line limit),
// and the status, message and names it must leave.
struct FailureCase {
    const char *what, *host = T;
    enum { Plain, Private, Hidden } mode = Plain;
    const char *taken = "";
    Taken       kind = Taken::Nothing;
    const char *target = "", *arg = "";
    As          as = As::Caller;
    const char *fault = nullptr;
    bool        deep = false, overflow = false;
    const char *hold = nullptr, *share = "0", *holdMs = "1200";
    int         status = 0;
    std::string err = "";
    const char *left = T;
    On          on = On::Both;
};

// clang-format off
const FailureCase kFailures[] = {
    {.what = "no interchange file", .host = nullptr, .status = 255, .err = kOpenTxt, .left = ""},
    {.what = "interchange name is a directory", .host = L, .taken = T, .kind = Taken::Directory, .status = 255, .err = kOpenTxt, .left = "QVC_TEMP.TXT qvc_temp.txt", .on = On::Posix},
    {.what = "temporary name is a directory", .taken = W, .kind = Taken::Directory, .status = 255, .err = kOpenWork, .left = TW},
    {.what = "first intermediate name a directory", .host = L, .taken = S1, .kind = Taken::Directory, .status = 255, .err = kOpenTxt, .left = "QVC_x2x2.$$ qvc_temp.txt"},
    {.what = "second intermediate name a directory", .host = L, .taken = S2, .kind = Taken::Directory, .left = "QVC_TEMP.TXT QVC_x2x2.$$$"},
    {.what = "lower-case name is a directory", .taken = L, .kind = Taken::Directory, .left = "QVC_TEMP.TXT qvc_temp.txt", .on = On::Posix},
    {.what = "both names: the upper-case one is the host's", .taken = L, .kind = Taken::Copy, .target = Out, .left = "QVC_TEMP.TXT qvc_temp.txt"},
    {.what = "intermediate name left by a run", .host = L, .taken = S2, .kind = Taken::File},
    {.what = "records stranded at the first intermediate name", .host = S1},
    {.what = "records stranded at the second intermediate name", .host = S2},
    {.what = "output under a file-size limit", .as = As::FileLimit, .status = 1, .err = kWrite, .on = On::Posix},
    {.what = "overflow after a write error", .as = As::FileLimit, .overflow = true, .status = 1, .left = TW, .on = On::Posix},
    {.what = "overflow line not written (the message neither)", .as = As::NoRoom, .overflow = true, .status = 1, .on = On::Posix},
    {.what = "read error part way through", .fault = "read 2", .status = 1, .err = kReadFault},
    {.what = "read error at the tracing level", .arg = "-t3", .fault = "read 2", .status = 1, .err = kReadFault, .left = TW},
    {.what = "read error of the system (unmapped memory)", .host = nullptr, .taken = T, .kind = Taken::SymLink, .target = "/proc/self/mem", .status = 1, .err = kRead, .on = On::Posix},
    {.what = "host's file read-only for the user", .as = As::OtherUser, .status = 255, .err = kOpenTxt, .left = TW},
    {.what = "host's file keeps mode 0600", .mode = FailureCase::Private, .on = On::Posix},
    {.what = "host's file keeps hidden and system", .mode = FailureCase::Hidden, .on = On::Windows},
    {.what = "working directory of 250 characters", .deep = true},
    {.what = "read-only leftover at the temporary name", .taken = W, .kind = Taken::ReadOnlyFile},
    {.what = "link out of the directory", .taken = W, .kind = Taken::SymLink, .target = Out, .on = On::Posix},
    {.what = "link to the host's file, -t1", .taken = W, .kind = Taken::SymLink, .target = T, .arg = "-t1", .left = TW, .on = On::Posix},
    {.what = "dangling link", .taken = W, .kind = Taken::SymLink, .target = "../o/new", .on = On::Posix},
    {.what = "link to /dev/null", .taken = W, .kind = Taken::SymLink, .target = "/dev/null", .on = On::Posix},
    // Wine follows every link, also to remove it: such a link is refused, nothing touched
    {.what = "link out of the directory, Wine", .taken = W, .kind = Taken::SymLink, .target = Out, .status = 255, .err = kOpenWork, .left = TW, .on = On::Windows},
    {.what = "link to the host's file, Wine", .taken = W, .kind = Taken::SymLink, .target = T, .status = 255, .err = kOpenWork, .left = TW, .on = On::Windows},
    {.what = "link to the host's file, -t1, Wine", .taken = W, .kind = Taken::SymLink, .target = T, .arg = "-t1", .status = 255, .err = kOpenWork, .left = TW, .on = On::Windows},
    // only the entries themselves move; a link that Wine would follow stays, and nothing is read
    {.what = "link at the first intermediate name", .host = nullptr, .taken = S1, .kind = Taken::SymLink, .target = Out, .status = 255, .err = kOpenTxt, .left = S1},
    {.what = "link at the first intermediate name, -t1", .host = nullptr, .taken = S1, .kind = Taken::SymLink, .target = Out, .arg = "-t1", .status = 255, .err = kOpenTxt, .left = S1},
    {.what = "link at the second intermediate name", .host = nullptr, .taken = S2, .kind = Taken::SymLink, .target = Out, .status = 255, .err = kOpenTxt, .left = S2},
    {.what = "link at the second intermediate name, -t1", .host = nullptr, .taken = S2, .kind = Taken::SymLink, .target = Out, .arg = "-t1", .status = 255, .err = kOpenTxt, .left = S2},
    {.what = "lower-case name a link out", .host = nullptr, .taken = L, .kind = Taken::SymLink, .target = Out, .on = On::Posix},
    {.what = "lower-case name a link out, -t1", .host = nullptr, .taken = L, .kind = Taken::SymLink, .target = Out, .arg = "-t1", .left = TW, .on = On::Posix},
    {.what = "lower-case name a link inside", .host = "in.txt", .taken = L, .kind = Taken::SymLink, .target = "in.txt", .left = "QVC_TEMP.TXT in.txt", .on = On::Posix},
    {.what = "lower-case name a link out, Wine", .host = nullptr, .taken = L, .kind = Taken::SymLink, .target = Out, .status = 255, .err = kOpenTxt, .left = L, .on = On::Windows},
    {.what = "lower-case name a link out, -t1, Wine", .host = nullptr, .taken = L, .kind = Taken::SymLink, .target = Out, .arg = "-t1", .status = 255, .err = kOpenTxt, .left = L, .on = On::Windows},
    {.what = "lower-case name a link inside, Wine", .host = "in.txt", .taken = L, .kind = Taken::SymLink, .target = "in.txt", .status = 255, .err = kOpenTxt, .left = "in.txt qvc_temp.txt", .on = On::Windows},
    {.what = "hard link to the host's file", .taken = W, .kind = Taken::HardLink, .target = T},
    {.what = "hard link to the host's file, -t1", .taken = W, .kind = Taken::HardLink, .target = T, .arg = "-t1", .left = TW},
    {.what = "hard link to a file outside", .taken = W, .kind = Taken::HardLink, .target = Out},
    {.what = "FIFO at the temporary name", .taken = W, .kind = Taken::Fifo, .on = On::Posix},
    {.what = "FIFO at the interchange name", .host = nullptr, .taken = T, .kind = Taken::Fifo, .arg = "-t3", .status = 255, .err = kOpenTxt, .on = On::Posix},
    {.what = "device at the interchange name", .host = nullptr, .taken = T, .kind = Taken::SymLink, .target = "/dev/null", .status = 255, .err = kOpenTxt, .on = On::Posix},
    {.what = "trace with standard output closed", .arg = "-t3", .as = As::StdoutClosed, .left = TW, .on = On::Posix},
    // held by other programs for moments: tried again; for longer than two seconds: given up
    {.what = "host's file held, no sharing", .hold = T, .on = On::Windows},
    {.what = "host's file held by a reader", .hold = T, .share = "1", .on = On::Windows},
    {.what = "leftover temporary file held", .taken = W, .kind = Taken::File, .hold = W, .on = On::Windows},
    {.what = "leftover held by a program sharing its deletion", .taken = W, .kind = Taken::File, .hold = W, .share = "7", .holdMs = "300", .on = On::Windows},
    {.what = "host's file held for long", .hold = T, .holdMs = "5000", .status = 255, .err = kOpenTxt, .on = On::Windows},
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
    const std::string records = Records(6000), done = RunOn(records).txt, over = Records(49999);

    for (const FailureCase &c : kFailures) {
        if (c.on == (kPosix ? On::Windows : On::Posix) || (c.as == As::OtherUser && !kRoot))
            continue; // only root may run the tool as another user
        Scratch root; // the working directory, and o outside it
        fs::create_directory(root.At("o"));
        WriteFile(root.At("o/victim.txt"), "victim");
        const std::string dir = root.At(c.deep ? std::string(250 - root.path.size(), 'd') : "w"),
                          at = dir + "/" + c.taken, txt = dir + "/" + T;
        fs::create_directory(dir);
        const std::string &host = c.overflow ? over : records;
        if (c.host)
            WriteFile(dir + "/" + c.host, host);
        if (c.kind == Taken::Directory && fs::create_directory(at))
            WriteFile(at + "/inside", "kept");
        if (c.kind == Taken::File || c.kind == Taken::ReadOnlyFile)
            WriteFile(at, "old");
        if (c.kind == Taken::ReadOnlyFile)
            fs::permissions(at, fs::perms::owner_read);
        if (c.kind == Taken::SymLink) // Wine makes none: there Linux's ln does
            Wait(Start(dir, {"-s", c.target, c.taken}, "/bin/ln"));
        if (c.kind == Taken::HardLink)
            fs::create_hard_link(dir + "/" + c.target, at);
        if (c.kind == Taken::Copy)
            Wait(Start(dir, {c.target, c.taken}, "/bin/cp"));
        if (c.mode == FailureCase::Private)
            fs::permissions(txt, fs::perms::owner_read | fs::perms::owner_write);
        if (c.as == As::OtherUser)
            ForbidWrites(dir, txt);
        if (c.mode == FailureCase::Hidden)
            MakeHidden(txt);
        if (c.kind == Taken::Fifo)
            MakeFifo(at);
        SetFault(c.fault ? c.fault : "");
        Outcome r = c.hold ? RunIn(dir, {c.hold, c.share, c.holdMs, c.arg}, "balloon-hold")
                           : RunIn(dir, {c.arg}, c.fault ? "balloon-faults" : "balloon", c.as);
        SetFault("");
        EXPECT_EQ(r.status, c.status) << c.what;
        EXPECT_EQ(r.err, c.err) << c.what;

        EXPECT_EQ(Names(dir), c.left) << c.what;
        EXPECT_EQ(Names(root.At("o")), "victim.txt") << c.what;
        EXPECT_EQ(ReadFile(root.At("o/victim.txt")), "victim") << c.what;
        EXPECT_TRUE(c.kind != Taken::Directory || ReadFile(at + "/inside") == "kept") << c.what;
        EXPECT_EQ(ReadFile(dir + "/QVC_TEMP.$$$").find("##"), std::string::npos) << c.what;
        EXPECT_TRUE(c.kind != Taken::Copy || ReadFile(at) == "victim") << c.what;

        const bool completed = c.status == 0 && c.arg[0] == '\0';
        if (completed) { // the command file, a file of its own
            EXPECT_TRUE(c.host == nullptr || ReadFile(txt) == done) << c.what;
            EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(txt))) << c.what;
        }
        const bool linked = c.host && c.kind == Taken::SymLink && c.target == std::string(c.host);
        if (c.host && (!completed || linked)) { // the host's records, as they were
            EXPECT_TRUE(ReadFile(dir + "/" + c.host) == host) << c.what;
        }
        EXPECT_TRUE(c.mode != FailureCase::Private ||
                    (fs::status(txt).permissions() & fs::perms::all) ==
                        (fs::perms::owner_read | fs::perms::owner_write));
        EXPECT_TRUE(c.mode != FailureCase::Hidden || IsHidden(txt)) << c.what;
        if (c.kind == Taken::SymLink) // Wine would remove what it points at
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
