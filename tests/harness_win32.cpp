// The test harness on Windows: programs started directly, file attributes in place of POSIX
// modes.
#include "harness.h"

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <windows.h>

namespace fs = std::filesystem;

const bool kPosix = false; // Kill terminates: it sends no signal
const bool kRoot = false;  // no other user: the read-only attribute stands in

// The path of a program of the build, as the command line takes it, or of the system.
static std::string Program(const char *name)
{
    if (std::strpbrk(name, "/\\"))
        return name;
    return fs::path(BUILD_DIR "/" + std::string(name) + ".exe").make_preferred().string();
}

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
               const std::string &, const std::string &out, const std::string &err)
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
    bool                ok = false;
    DWORD               why = 0;
    // Wine has been seen, rarely, to fail a start: it is tried again a few times after a moment,
    // and a start that still fails leaves its reason where the program's messages go
    for (int tries = 0; !ok && tries < 5; tries++) {
        if (tries > 0)
            Sleep(200);
        ok = CreateProcessA(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr, dir.c_str(),
                            &si, &pi);
        why = ok ? 0 : GetLastError();
    }
    CloseHandle(si.hStdOutput);
    CloseHandle(si.hStdError);
    if (!ok) {
        if (std::FILE *f = err.empty() ? nullptr : std::fopen(err.c_str(), "wb")) {
            std::fprintf(f, "cannot start %s: error %lu\n", program, why);
            std::fclose(f);
        }
        return 0;
    }
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

bool Hidden(const std::string &file, bool hide)
{
    if (hide)
        SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
    DWORD a = GetFileAttributesA(file.c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & 6) == 6;
}
