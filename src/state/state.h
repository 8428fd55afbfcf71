// Program-wide state of the tool: one instance of each variable, fixed initial values.
#pragma once

#include "text/textio.h"

#include <array>
#include <cstddef>

constexpr int GROUPS = 16;      // layer groups 0 to 15, each with its scale
constexpr int STYLES = 16;      // slots of the text size tables: "cn0" in 0, styles 1 to 10
constexpr int NOT_TAKEN = 20;   // a first-value copy that no record has given yet
constexpr int HPmax = 3;        // highest point number with a slot in PX and PY without -g
constexpr int POINTS = 9;       // highest point number with a slot with -g: "hp1" to "hp9"
constexpr int LABEL_CHARS = 16; // most characters of a label of option -l, each of 1 or 2 bytes
constexpr int SIZE_CHARS = 8;   // most characters of the label that option -r sizes a frame to
constexpr int FRAMES = 8;    // frames of option -f: 0 the circle with its tip, 1 to 4 plain, 5 to 7
                             // sized to the text
constexpr int ENDS = 8;      // leader ends of option -k: 0 as -y and -p say, 1 to 7 one each
constexpr int REFUSALS = 10; // groups of options that may refuse a value: -anli, -f, -q, -r, -x,
                             // -k, -z, -j, -o, -g
constexpr int JOINS = 8;     // most balloons that option -j adds to the first one's stack
constexpr int LEAD_MANY = 1; // -g1: a leader to each point after the first
constexpr int LEAD_BENT = 2; // -g2: one leader through the points after the first

// What isLABEL says the label is, besides the label number's (0). From LABEL_STARTS on the run
// numbers: the label it draws is kept in the file of numbers for the next.
constexpr int LABEL_GIVEN = 1;  // LABEL, of option -l
constexpr int LABEL_STARTS = 2; // LABEL, of option -i: the numbering starts from it
constexpr int LABEL_NEXT = 3;   // the one after the label that the file of numbers holds (-i)
constexpr int LABEL_AGAIN = 4;  // the label that the file of numbers holds, drawn again (-i=)

// A text of options -l and -q: up to LABEL_CHARS characters of 1 or 2 bytes, NUL-terminated.
using LabelBytes = std::array<char, 2 * LABEL_CHARS + 1>;

// Debug levels of option -t (isTest). At every level but the first the command file stays in
// 'QVC_TEMP.$$$' and the host's file is left as it is; from the reader's level on, the options
// are echoed too.
constexpr int LEVEL_NONE = 0;    // no trace: the command file replaces the host's file
constexpr int LEVEL_TRAILER = 1; // two trailer lines end the command file
constexpr int LEVEL_BALLOON = 2; // the balloon's trace on the console
constexpr int LEVEL_READER = 3;  // the reader's trace of each piece, after a count of them

#define VAR(type, name, init) extern type name;
#define TAB(type, name, count, init) extern std::array<type, count> name;
#include "state/state_vars.h"
#undef VAR
#undef TAB

extern TextFile fp;  // the interchange file, "QVC_TEMP.TXT", read by the reader
extern TextFile fpw; // the command file under construction, "QVC_TEMP.$$$"
extern TextFile fpn; // the file of numbers under construction, "QVC_NEXT.$$$", in a numbering run

constexpr unsigned jd_limit = 50000; // most lines a run takes

// Sets every program-wide variable back to its initial value; for tests and the fuzzer,
// which run the tool more than once in one process. Both streams must be closed.
void StateReset();
