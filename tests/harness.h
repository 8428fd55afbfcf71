// Test harness: scratch directories, files as bytes, runs of the real programs, readable diffs.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// A fresh empty directory, removed with its content at the end of the scope.
struct Scratch {
    std::string path;
    Scratch();
    ~Scratch();
    std::string At(const std::string &name) const;
};

std::string ReadFile(const std::string &path);
void        WriteFile(const std::string &path, const std::string &bytes);

// What a run left behind: the exit status as a POSIX host sees it (-1 as 255), and the output.
struct RunResult {
    int         status;
    std::string out, err;
};

// Runs a program of the build ("balloon" or "balloon-preview") in dir, as the host does; prefix
// goes before it on the command line (to run it as another user, for one).
RunResult RunIn(const std::string &dir, const std::vector<std::string> &args,
                const char *program = "balloon", const std::string &prefix = "");

// The tool started in dir without waiting, its output discarded; ended at once; waited for
// (the exit status, 128 + 9 when it was killed).
intptr_t StartTool(const std::string &dir, const char *option = nullptr);
void     KillTool(intptr_t process);
int      WaitTool(intptr_t process);

// Bytes made readable: CR as \r, LF as \n plus a line break, other non-ASCII as \xNN.
std::string Show(const std::string &bytes);

// Lines joined with CR LF after each.
std::string Crlf(const std::vector<std::string> &lines);

// A run of the routines in process: all state reset, fpw open on a file in dir; the file's bytes.
void        OpenOutput(const Scratch &dir);
std::string CloseOutput(const Scratch &dir);
