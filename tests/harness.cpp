#include "harness.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

#ifdef _WIN32
#include <windows.h>
#else
#include <csignal>
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

// The path of a program of the build, as the platform's command line takes it.
static std::string Program(const char *name)
{
#ifdef _WIN32
    std::string p = fs::path(BUILD_DIR "/" + std::string(name) + ".exe").make_preferred().string();
#else
    std::string p = BUILD_DIR "/" + std::string(name);
#endif
    return '"' + p + '"';
}

#ifdef _WIN32
// Starts a program of the build in dir, its standard streams on the files out and err (a
// command shell here would leave console processes behind under Wine).
static HANDLE Launch(const char *program, const std::string &dir,
                     const std::vector<std::string> &args, const std::string &out,
                     const std::string &err)
{
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    auto                open = [&](const std::string &path) {
        return CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                          &inherit, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    };
    std::string line = Program(program);
    for (const std::string &a : args)
        line += " \"" + a + '"';
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
        return nullptr;
    CloseHandle(pi.hThread);
    return pi.hProcess;
}

RunResult RunIn(const std::string &dir, const std::vector<std::string> &args, const char *program,
                const std::string &)
{
    Scratch io; // the captured streams live outside the run's directory
    HANDLE  p = Launch(program, dir, args, io.At("out"), io.At("err"));
    int     status = p ? WaitTool(reinterpret_cast<intptr_t>(p)) : 127;
    return RunResult{status, ReadFile(io.At("out")), ReadFile(io.At("err"))};
}

intptr_t StartTool(const std::string &dir, const char *option)
{
    std::vector<std::string> args;
    if (option)
        args.push_back(option);
    return reinterpret_cast<intptr_t>(Launch("balloon", dir, args, "NUL", "NUL"));
}

void KillTool(intptr_t process)
{
    TerminateProcess(reinterpret_cast<HANDLE>(process), 128 + 9);
}

int WaitTool(intptr_t process)
{
    HANDLE h = reinterpret_cast<HANDLE>(process);
    DWORD  code = 0;
    WaitForSingleObject(h, INFINITE);
    GetExitCodeProcess(h, &code);
    CloseHandle(h);
    return static_cast<int>(code & 0xff); // -1 shows as 255, as on POSIX
}
#else
RunResult RunIn(const std::string &dir, const std::vector<std::string> &args, const char *program,
                const std::string &prefix)
{
    Scratch io; // the captured streams live outside the run's directory
    std::string line = "cd \"" + dir + "\" && " + prefix + Program(program);
    for (const std::string &a : args)
        line += " \"" + a + '"';
    line += " > \"" + io.At("out") + "\" 2> \"" + io.At("err") + '"';
    int status = std::system(line.c_str());
    status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return RunResult{status, ReadFile(io.At("out")), ReadFile(io.At("err"))};
}

intptr_t StartTool(const std::string &dir, const char *option)
{
    pid_t pid = fork();
    if (pid == 0) {
        std::string exe = BUILD_DIR "/balloon";
        if (chdir(dir.c_str()) == 0 && freopen("/dev/null", "w", stdout) &&
            freopen("/dev/null", "w", stderr))
            execl(exe.c_str(), exe.c_str(), option, nullptr);
        _exit(127);
    }
    return pid;
}

void KillTool(intptr_t process)
{
    kill(static_cast<pid_t>(process), SIGKILL);
}

int WaitTool(intptr_t process)
{
    int ws = 0;
    waitpid(static_cast<pid_t>(process), &ws, 0);
    return WIFEXITED(ws) ? WEXITSTATUS(ws) : 128 + WTERMSIG(ws);
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
