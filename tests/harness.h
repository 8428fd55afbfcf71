// Test harness: scratch directories, files as bytes, runs of the real programs.
#pragma once

#include <cstdint>
#include <map>
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

// One case of a data file beside the goldens: its fields by name, "what" the first.
using Case = std::map<std::string, std::string>;

// The cases of tests/golden/NAME: one a line, "what | name=value | ...", with the escapes \n,
// \r, \0, \xNN and \\ in a value; lines that start with "#" are comments.
std::vector<Case> Cases(const std::string &name);

// The words of s, separated by white space.
std::vector<std::string> Words(const std::string &s);

// The field key of c, or otherwise where c has none.
std::string Field(const Case &c, const std::string &key, const std::string &otherwise = "");

// How a program is started besides its arguments, on POSIX only (Windows starts it as it is):
// "" as the tests run; "other user": as nobody (65534), without supplementary groups; "file
// limit": with a file-size limit of 1024 bytes; "no room": of 0 (the captured streams cannot grow
// either); "stdout closed"; "term ignored": with SIGTERM ignored.
extern const bool kPosix; // Kill sends a signal (POSIX); on Windows it terminates
extern const bool kRoot;  // "other user" can run: as root

// Starts a program of the build ("balloon", "balloon-preview", "balloon-faults") or of the
// system (a path) in dir with args, passed as they are, its output in out and err ("": none).
intptr_t Start(const std::string &dir, const std::vector<std::string> &args,
               const char *program = "balloon", const std::string &as = "",
               const std::string &out = "", const std::string &err = "");
void     Kill(intptr_t process, int sig = 9); // POSIX: sends sig; Windows: terminates
int      Wait(intptr_t process); // the exit status as a POSIX host sees it (-1 as 255, 128 + 9)

// What a run left: its status, console streams and, for RunOn, both files.
struct Outcome {
    int         status;
    std::string out, err, txt, work; // work: 'QVC_TEMP.$$$', "" when absent
};
Outcome RunIn(const std::string &dir, const std::vector<std::string> &args,
              const char *program = "balloon", const std::string &as = "");
Outcome RunOn(const std::string &input, const std::vector<std::string> &args = {});

// Whether file has the hidden and system attributes, after giving it them when hide is true
// (Windows; on POSIX none).
bool Hidden(const std::string &file, bool hide = false);

// Sets the failure that balloon-faults makes (BALLOON_FAULT, see faultseam.cpp) in the programs
// started from now on; "" for none.
void SetFault(const std::string &call);
