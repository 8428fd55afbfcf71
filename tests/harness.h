// Test harness: scratch directories, files as bytes, runs of the real tool, readable diffs.
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
bool        Exists(const std::string &path);

// What a run of the tool left behind.
struct RunResult {
    int         status; // exit status as the host sees it: 0 to 255
    std::string out;    // standard output
    std::string err;    // standard error
};

// Runs the tool in dir with the arguments, as the host does; as user uid when it is not -1.
RunResult RunTool(const std::string &dir, const std::vector<std::string> &args);
#ifndef _WIN32
RunResult RunToolAs(const std::string &dir, const std::vector<std::string> &args, int uid);
#endif

// Runs balloon-preview in dir with the arguments.
RunResult RunPreview(const std::string &dir, const std::vector<std::string> &args);

// Starts the tool in dir without waiting, its output discarded; returns a process handle.
intptr_t StartTool(const std::string &dir);

// Ends a started tool at once, as SIGKILL does.
void KillTool(intptr_t pid);

// Waits for a started tool; returns its exit status, or 128 + 9 when it was killed.
int WaitTool(intptr_t pid);

// Bytes made readable: CR as \r, LF as \n plus a line break, other non-ASCII as \xNN.
std::string Show(const std::string &bytes);

// Lines joined with CR LF after each.
std::string Crlf(const std::vector<std::string> &lines);

// Starts a run in process: all state reset, fpw open on a file in dir.
void        OpenOutput(const Scratch &dir);
std::string CloseOutput(const Scratch &dir);
