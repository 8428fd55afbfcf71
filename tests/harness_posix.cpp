// The test harness on POSIX systems: programs forked and started through a descriptor, users,
// limits and signals.
#include "harness.h"

#include <csignal>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <grp.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

const bool kPosix = true; // Kill sends a signal
const bool kRoot = geteuid() == 0;

// The path of a program of the build, or of the system.
static std::string Program(const char *name)
{
    if (std::strchr(name, '/'))
        return name;
    return BUILD_DIR "/" + std::string(name);
}

// Sets up the child process as the run asks; false when that failed.
static bool Become(const std::string &as)
{
    static const rlimit limit{1024, 1024}, none{0, 0};
    if (as == "other user")
        return setgroups(0, nullptr) == 0 && setgid(65534) == 0 && setuid(65534) == 0;
    if (as == "file limit" || as == "no room")
        return setrlimit(RLIMIT_FSIZE, as == "no room" ? &none : &limit) == 0;
    if (as == "term ignored")
        return signal(SIGTERM, SIG_IGN) != SIG_ERR;
    return as != "stdout closed" || close(1) == 0;
}

intptr_t Start(const std::string &dir, const std::vector<std::string> &args, const char *program,
               const std::string &as, const std::string &out, const std::string &err)
{
    std::string         path = Program(program);
    std::vector<char *> argv{path.data()};
    for (const std::string &a : args)
        argv.push_back(const_cast<char *>(a.c_str()));
    argv.push_back(nullptr);
    // Opened here and started through the descriptor: a user who cannot enter the folders above
    // the build (a clone under /root) still runs the tool.
    int      exe = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    sigset_t term, mask; // a SIGTERM sent at once waits for the child's own disposition
    sigemptyset(&term);
    sigaddset(&term, SIGTERM);
    sigprocmask(SIG_BLOCK, &term, &mask);
    std::fflush(nullptr); // a child that reopens its streams would write what waits in them
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

bool Hidden(const std::string &, bool)
{
    return false;
}
