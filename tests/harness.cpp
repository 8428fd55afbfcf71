#include "harness.h"

#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

#ifdef _WIN32
#include <windows.h>
#else
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
    return path + "/" + name;
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

bool Exists(const std::string &path)
{
    return fs::exists(fs::symlink_status(path));
}

#ifndef _WIN32

static RunResult Run(const char *exe, const std::string &dir, const std::vector<std::string> &args,
                     int uid)
{
    Scratch     io; // captured streams live outside the run's directory
    std::string out = io.At("out"), err = io.At("err");
    pid_t       pid = fork();
    if (pid == 0) {
        std::vector<char *> argv{const_cast<char *>(exe)};
        for (const std::string &a : args)
            argv.push_back(const_cast<char *>(a.c_str()));
        argv.push_back(nullptr);
        if (chdir(dir.c_str()) != 0 || !freopen(out.c_str(), "w", stdout) ||
            !freopen(err.c_str(), "w", stderr) || (uid != -1 && setuid(uid) != 0))
            _exit(127);
        execv(argv[0], argv.data());
        _exit(127);
    }
    int ws = 0;
    waitpid(pid, &ws, 0);
    return RunResult{WIFEXITED(ws) ? WEXITSTATUS(ws) : 128 + WTERMSIG(ws), ReadFile(out),
                     ReadFile(err)};
}

RunResult RunTool(const std::string &dir, const std::vector<std::string> &args)
{
    return Run(BALLOON_EXE, dir, args, -1);
}

RunResult RunToolAs(const std::string &dir, const std::vector<std::string> &args, int uid)
{
    return Run(BALLOON_EXE, dir, args, uid);
}

RunResult RunPreview(const std::string &dir, const std::vector<std::string> &args)
{
    return Run(PREVIEW_EXE, dir, args, -1);
}

intptr_t StartTool(const std::string &dir)
{
    pid_t pid = fork();
    if (pid == 0) {
        char *argv[] = {const_cast<char *>(BALLOON_EXE), nullptr};
        if (chdir(dir.c_str()) != 0 || !freopen("/dev/null", "w", stdout) ||
            !freopen("/dev/null", "w", stderr))
            _exit(127);
        execv(argv[0], argv);
        _exit(127);
    }
    return pid;
}

void KillTool(intptr_t pid)
{
    kill(static_cast<pid_t>(pid), SIGKILL);
}

int WaitTool(intptr_t pid)
{
    int ws = 0;
    waitpid(static_cast<pid_t>(pid), &ws, 0);
    return WIFEXITED(ws) ? WEXITSTATUS(ws) : 128 + WTERMSIG(ws);
}

#else
// A program of the build directory, beside the test program's folder.
static std::string ToolPath(const char *name)
{
    char self[MAX_PATH];
    GetModuleFileNameA(nullptr, self, sizeof self);
    return (fs::path(self).parent_path().parent_path() / name).string();
}

// Starts a program in dir with its standard streams on the given handles.
static HANDLE Launch(const char *exe, const std::string &dir, const std::vector<std::string> &args,
                     HANDLE out, HANDLE err)
{
    std::string line(1, '"');
    line += ToolPath(exe);
    line += '"';
    for (const std::string &a : args) {
        line += " \"";
        line += a;
        line += '"';
    }
    STARTUPINFOA si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdInput = INVALID_HANDLE_VALUE;
    si.hStdOutput = out;
    si.hStdError = err;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr, dir.c_str(), &si,
                        &pi))
        return nullptr;
    CloseHandle(pi.hThread);
    return pi.hProcess;
}

static HANDLE Inheritable(const std::string &path)
{
    SECURITY_ATTRIBUTES sa{sizeof sa, nullptr, TRUE};
    return CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &sa,
                       CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
}

static RunResult Run(const char *exe, const std::string &dir, const std::vector<std::string> &args)
{
    Scratch     io;
    std::string out = io.At("out"), err = io.At("err");
    HANDLE      ho = Inheritable(out), he = Inheritable(err);
    HANDLE      p = Launch(exe, dir, args, ho, he);
    CloseHandle(ho);
    CloseHandle(he);
    if (p == nullptr)
        return RunResult{127, "", ""};
    int status = WaitTool(reinterpret_cast<intptr_t>(p));
    return RunResult{status, ReadFile(out), ReadFile(err)};
}

RunResult RunTool(const std::string &dir, const std::vector<std::string> &args)
{
    return Run("balloon.exe", dir, args);
}

RunResult RunPreview(const std::string &dir, const std::vector<std::string> &args)
{
    return Run("balloon-preview.exe", dir, args);
}

intptr_t StartTool(const std::string &dir)
{
    HANDLE nul = Inheritable("NUL");
    HANDLE p = Launch("balloon.exe", dir, {}, nul, nul);
    CloseHandle(nul);
    return reinterpret_cast<intptr_t>(p);
}

void KillTool(intptr_t pid)
{
    TerminateProcess(reinterpret_cast<HANDLE>(pid), 128 + 9);
}

// The exit status as a host sees its low eight bits: -1 shows as 255, as on POSIX.
int WaitTool(intptr_t pid)
{
    HANDLE p = reinterpret_cast<HANDLE>(pid);
    DWORD  code = 0;
    WaitForSingleObject(p, INFINITE);
    GetExitCodeProcess(p, &code);
    CloseHandle(p);
    return static_cast<int>(code & 0xff);
}
#endif

std::string Show(const std::string &bytes)
{
    std::string s;
    char        hex[8];
    for (unsigned char c : bytes) {
        if (c == '\r')
            s += "\\r";
        else if (c == '\n')
            s += "\\n\n";
        else if (c < 0x20 || c >= 0x7f)
            std::snprintf(hex, sizeof hex, "\\x%02x", c), s += hex;
        else
            s += static_cast<char>(c);
    }
    return s;
}

std::string Crlf(const std::vector<std::string> &lines)
{
    std::string s;
    for (const std::string &l : lines)
        s += l + "\r\n";
    return s;
}
