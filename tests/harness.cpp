#include "harness.h"

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

#ifdef _WIN32
#include <windows.h>
#else
#include <csignal>
#include <fcntl.h>
#include <grp.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace fs = std::filesystem;

Scratch::Scratch()
{
    static std::mt19937_64 rng(std::random_device{}());
    do
        path = (fs::temp_directory_path() / ("balloon-" + std::to_string(rng()))).string();
    while (!fs::create_directory(path));
}

Scratch::~Scratch()
{
    std::error_code ec;
    fs::remove_all(path, ec);
}

std::string Scratch::At(const std::string &name) const
{
    return (fs::path(path) / name).string();
}

std::string ReadFile(const std::string &path)
{
    std::ifstream      in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

void WriteFile(const std::string &path, const std::string &bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

// The path of a program of the build, as the platform's command line takes it, or of the system.
static std::string Program(const char *name)
{
    if (std::strpbrk(name, "/\\"))
        return name;
#ifdef _WIN32
    return fs::path(BUILD_DIR "/" + std::string(name) + ".exe").make_preferred().string();
#else
    return BUILD_DIR "/" + std::string(name);
#endif
}

#ifdef _WIN32
// One argument quoted as the C runtime splits command lines (quotes and backslashes escaped).
static std::string Quote(const std::string &a)
{
    std::string q = "\"";
    size_t      slashes = 0;
    for (char c : a) {
        if (c == '\\') {
            slashes++;
            continue;
        }
        q.append(c == '"' ? 2 * slashes + 1 : slashes, '\\');
        q += c;
        slashes = 0;
    }
    return q.append(2 * slashes, '\\') + '"';
}

// A command shell would leave console processes behind under Wine: the program is started
// directly, its standard streams on the files out and err.
intptr_t Start(const std::string &dir, const std::vector<std::string> &args, const char *program,
               As, const std::string &out, const std::string &err)
{
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    auto                open = [&](const std::string &path) {
        return CreateFileA(path.empty() ? "NUL" : path.c_str(), GENERIC_WRITE,
                           FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    };
    std::string line = Quote(Program(program));
    for (const std::string &a : args)
        line += ' ' + Quote(a);
    STARTUPINFOA si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdInput = INVALID_HANDLE_VALUE;
    si.hStdOutput = open(out);
    si.hStdError = open(err);
    PROCESS_INFORMATION pi{};
    bool ok = CreateProcessA(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr, dir.c_str(),
                             &si, &pi);
    CloseHandle(si.hStdOutput);
    CloseHandle(si.hStdError);
    if (!ok)
        return 0;
    CloseHandle(pi.hThread);
    return reinterpret_cast<intptr_t>(pi.hProcess);
}

void Kill(intptr_t process, int)
{
    TerminateProcess(reinterpret_cast<HANDLE>(process), 128 + 9);
}

int Wait(intptr_t process)
{
    HANDLE h = reinterpret_cast<HANDLE>(process);
    DWORD  code = 127;
    if (h != nullptr) {
        WaitForSingleObject(h, INFINITE);
        GetExitCodeProcess(h, &code);
        CloseHandle(h);
    }
    return static_cast<int>(code & 0xff); // -1 shows as 255, as on POSIX
}
#else
const bool kRoot = geteuid() == 0;

// Sets up the child process as the run asks; false when that failed.
static bool Become(As as)
{
    static const rlimit limit{1024, 1024}, none{0, 0};
    if (as == As::OtherUser)
        return setgroups(0, nullptr) == 0 && setgid(65534) == 0 && setuid(65534) == 0;
    if (as == As::FileLimit || as == As::NoRoom)
        return setrlimit(RLIMIT_FSIZE, as == As::NoRoom ? &none : &limit) == 0;
    if (as == As::TermIgnored)
        return signal(SIGTERM, SIG_IGN) != SIG_ERR;
    return as != As::StdoutClosed || close(1) == 0;
}

intptr_t Start(const std::string &dir, const std::vector<std::string> &args, const char *program,
               As as, const std::string &out, const std::string &err)
{
    std::string path = Program(program);
    std::vector<char *> argv{path.data()};
    for (const std::string &a : args)
        argv.push_back(const_cast<char *>(a.c_str()));
    argv.push_back(nullptr);
    // Opened here and started through the descriptor: a user who cannot enter the folders above
    // the build (a clone under /root) still runs the tool.
    int exe = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    sigset_t term, mask; // a SIGTERM sent at once waits for the child's own disposition
    sigemptyset(&term);
    sigaddset(&term, SIGTERM);
    sigprocmask(SIG_BLOCK, &term, &mask);
    pid_t pid = fork();
    if (pid == 0) {
        if (chdir(dir.c_str()) == 0 &&
            freopen(out.empty() ? "/dev/null" : out.c_str(), "w", stdout) &&
            freopen(err.empty() ? "/dev/null" : err.c_str(), "w", stderr) && Become(as) &&
            sigprocmask(SIG_SETMASK, &mask, nullptr) == 0)
            fexecve(exe, argv.data(), environ);
        _exit(127);
    }
    close(exe);
    sigprocmask(SIG_SETMASK, &mask, nullptr);
    return pid;
}

void Kill(intptr_t process, int sig)
{
    kill(static_cast<pid_t>(process), sig);
}

int Wait(intptr_t process)
{
    int ws = 0;
    waitpid(static_cast<pid_t>(process), &ws, 0);
    return WIFEXITED(ws) ? WEXITSTATUS(ws) : 128 + WTERMSIG(ws);
}
#endif

Outcome RunIn(const std::string &dir, const std::vector<std::string> &args, const char *program,
              As as)
{
    Scratch io; // the captured streams live outside the run's directory
    int     status = Wait(Start(dir, args, program, as, io.At("out"), io.At("err")));
    return Outcome{status, ReadFile(io.At("out")), ReadFile(io.At("err")), "", ""};
}

Outcome RunOn(const std::string &input, const std::vector<std::string> &args)
{
    Scratch dir;
    WriteFile(dir.At("QVC_TEMP.TXT"), input);
    Outcome r = RunIn(dir.path, args);
    r.txt = ReadFile(dir.At("QVC_TEMP.TXT"));
    r.work = ReadFile(dir.At("QVC_TEMP.$$$"));
    return r;
}
