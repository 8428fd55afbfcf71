#include "harness.h"

#include "driver/textio.h"
#include "state/state.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

Scratch::Scratch()
{
    std::string tmpl = (fs::temp_directory_path() / "balloon-XXXXXX").string();
    path = mkdtemp(tmpl.data());
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

RunResult RunTool(const std::string &dir, const std::vector<std::string> &args)
{
    return RunToolAs(dir, args, -1);
}

RunResult RunToolAs(const std::string &dir, const std::vector<std::string> &args, int uid)
{
    Scratch     io; // captured streams live outside the run's directory
    std::string out = io.At("out"), err = io.At("err");
    pid_t       pid = fork();
    if (pid == 0) {
        std::vector<char *> argv{const_cast<char *>(BALLOON_EXE)};
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

int StartTool(const std::string &dir)
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

int WaitTool(int pid)
{
    int ws = 0;
    waitpid(pid, &ws, 0);
    return WIFEXITED(ws) ? WEXITSTATUS(ws) : 128 + WTERMSIG(ws);
}

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

void OpenOutput(const Scratch &dir)
{
    StateReset();
    PAI = 3.141592653589793;
    TextOpen(&fpw, dir.At("out").c_str(), true);
}

std::string CloseOutput(const Scratch &dir)
{
    TextClose(&fpw);
    return ReadFile(dir.At("out"));
}
