// The program-wide variables, one line each: type, name, initial value.
// Included by state.h (declarations), state.cpp (definitions) and StateReset (assignments);
// the includer defines VAR(type, name, init) and TAB(type, name, count, init) first.

// Transform driver
VAR(double, PAI, 0.0)         // pi, set first thing in every run
VAR(double, KYlengTotal, 0.0) // length total; nothing changes it, the level-1 trailer shows it

// Command-line options
VAR(int, isNUM, 0)            // label number, index into the label tables
VAR(int, isZEN, 1)            // exactly 1: full-width label
VAR(int, wCN, 2)              // text style of the label
VAR(int, wSCLR, 0)            // colour number, index into inRGB
VAR(double, moji_offset, 2.0) // label shift factor along x
VAR(int, isYA, 0)             // nonzero: arrow head at the leader's end
VAR(int, isTEN, 0)            // nonzero: dot at the leader's end
VAR(int, isTest, 0)           // debug level 0 to 6
VAR(int, isLABEL, 0)          // LABEL_GIVEN to LABEL_AGAIN: the label is LABEL (-l, -i); 0: isNUM
TAB(char, LABEL, 2 * LABEL_CHARS + 1, '\0') // the label of -l or -i as given, NUL-terminated
VAR(int, isQTY, 0)                          // 1: a second entry, QTY, below the label (-q)
TAB(char, QTY, 2 * LABEL_CHARS + 1, '\0')   // the second entry of option -q as given
VAR(int, wFRM, 0)                           // the frame, 0 to FRAMES - 1 (-f)
VAR(int, wEND, 0)                           // the leader's end, 0 to ENDS - 1 (-k)
VAR(int, isSIDE, 0)                         // 1: a text, SIDE, beside the frame (-x)
TAB(char, SIDE, 2 * LABEL_CHARS + 1, '\0')  // the text of option -x as given
VAR(int, wSIZE, 0)      // 1 to SIZE_CHARS: at least as large as for that many "0" (-r); 0: own size
VAR(double, wDIAM, 0.0) // frames 0 to 4 at least this diameter at the group scale (-z); 0: none
TAB(LabelBytes, JOIN, JOINS, LabelBytes{}) // the stack's later labels: the texts of -j as given
                                           // ("" for the next label), then the labels taken
VAR(int, iJOIN, 0)                         // balloons that -j adds to the stack, 0 to JOINS
VAR(int, wORIENT, 0)                       // the stack: 0 a row, 1 a column (-o)
VAR(int, wLEAD, 0)   // the points after the first: 0 one leader, LEAD_MANY or LEAD_BENT (-g)
VAR(int, iOPTION, 0) // options decoded so far
TAB(int, REFUSED, REFUSALS, 0) // by group of options, the refused value in force: its option's
                               // number times 256 plus its letter as given; 0 for none
VAR(int, wLC1, 1)              // shown by the option echo only
VAR(int, wLC2, 1)              // shown by the option echo only

// Element file reader: current attributes
VAR(int, COLOR, 1) // "lc"
VAR(int, TYPE, 1)  // "lt"
VAR(int, LAYER, 0) // "ly", hexadecimal
VAR(int, GROUP, 0) // "lg", hexadecimal; index into G_SCALE, stored unchecked
VAR(int, TENS, 1)  // "pn", hexadecimal
VAR(int, MOJIS, 1) // numbered "cn"; 0 after "cn0"

// Element file reader: first-value copies, NOT_TAKEN until the first value comes
VAR(int, COLORi, NOT_TAKEN)
VAR(int, TYPEi, NOT_TAKEN)
VAR(int, LAYERi, NOT_TAKEN)
VAR(int, GROUPi, NOT_TAKEN)
VAR(int, TENSi, NOT_TAKEN)
VAR(int, MOJISi, NOT_TAKEN)     // 0 once a first "cn0" took the sizes
VAR(double, MOJIWi, -NOT_TAKEN) // positive only when a first "cn0" took the sizes
VAR(double, MOJIHi, NOT_TAKEN)
VAR(double, MOJIDi, NOT_TAKEN)
VAR(int, MOJICi, NOT_TAKEN)

// Element file reader: tables
TAB(double, MOJI_W, STYLES, 0.0)  // text width by style; 1 to 10 from "hcw", 0 from "cn0"
TAB(double, MOJI_H, STYLES, 0.0)  // text height by style; 1 to 10 from "hch", 0 from "cn0"
TAB(double, MOJI_D, STYLES, 0.0)  // text spacing by style; 1 to 10 from "hcd", 0 from "cn0"
TAB(int, MOJI_C, STYLES, 0)       // entry 0 from "cn0"
TAB(double, G_SCALE, GROUPS, 1.0) // scale of groups 0 to 15, "hs"
TAB(double, PX, POINTS + 1, 0.0)  // indicated points by "hp" number, 0 to HPmax (-g: POINTS)
TAB(double, PY, POINTS + 1, 0.0)

// Element file reader: indicated points and counters
VAR(int, iPOINT, 0)     // number of the last "hp" record, stored or not
VAR(int, iPOINTcnt, 0)  // "hp" records with a recognised marker
VAR(int, iPOINTmax, 0)  // the highest "hp" number read
VAR(int, iPOINTbits, 0) // bit k set: a record gave the number k, 0 to POINTS
VAR(int, stepcnt, 0)    // last stage seen: 1 "hq", 2 "hh..1", 3 counted line segment

// Element file reader: the last line segment, which decides whether the next one counts
VAR(double, ILINEx1, 0.0) // a coordinate that does not convert keeps the previous one
VAR(double, ILINEy1, 0.0)
VAR(double, ILINEx2, 0.0)
VAR(double, ILINEy2, 0.0)

// Balloon drawing
VAR(double, SCALE, 1.0)   // scale of the current group, set by every Kobarn1 call
VAR(double, MOJI_zw, 0.0) // label text width in drawing units
VAR(double, MOJI_zh, 0.0) // label text height in drawing units: the balloon's radius
VAR(double, MOJI_zd, 0.0) // label text spacing in drawing units
