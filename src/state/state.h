// Program-wide state of the tool: one instance of each variable, fixed initial values.
#pragma once

#include <array>
#include <cstdio>

// A file opened through the text layer: CR LF read as one line end, line end written as CR LF.
struct TextFile {
    FILE    *f;            // nullptr while closed
    bool     writing;      // opened for writing
    bool     eof;          // a read reached the end of the file
    bool     err;          // a read, write or close failed
    unsigned pieces;       // reading: pieces that TextGets returned
    size_t   pos;          // reading: next byte of buf
    size_t   len;          // reading: bytes in buf; writing: bytes waiting in buf
    char     buf[1 << 16]; // the only buffer of the stream
};

#define VAR(type, name, init) extern type name;
#define TAB(type, name, count, init) extern std::array<type, count> name;
#include "state_vars.h"
#undef VAR
#undef TAB

extern TextFile fp;  // the interchange file, "QVC_TEMP.TXT", read by the reader
extern TextFile fpw; // the command file under construction, "QVC_TEMP.$$$"

constexpr unsigned jd_limit = 50000; // most lines a run takes
constexpr int      HPmax = 3;        // highest point number with a slot in PX and PY
constexpr double   Period = 150.0;   // copied into iLengK by PLreset

// Sets every program-wide variable back to its initial value; for tests and the fuzzer,
// which run the tool more than once in one process. Both streams must be closed.
void StateReset();
