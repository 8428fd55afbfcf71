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
VAR(int, wLC1, 1)             // shown by the option echo only
VAR(int, wLC2, 1)             // shown by the option echo only

// Element file reader: current attributes
VAR(int, COLOR, 1) // "lc"
VAR(int, TYPE, 1)  // "lt"
VAR(int, LAYER, 0) // "ly", hexadecimal
VAR(int, GROUP, 0) // "lg", hexadecimal; index into G_SCALE, stored unchecked
VAR(int, TENS, 1)  // "pn", hexadecimal
VAR(int, MOJIS, 1) // numbered "cn"; 0 after "cn0"
VAR(int, MOJIK, 0) // "cc"

// Element file reader: first-value copies; 20 means "not taken yet"
VAR(int, COLORi, 20)
VAR(int, TYPEi, 20)
VAR(int, LAYERi, 20)
VAR(int, GROUPi, 20)
VAR(int, TENSi, 20)
VAR(int, MOJISi, 20) // 0 once a first "cn0" took the sizes
VAR(int, MOJIKi, 20)
VAR(double, MOJIWi, -20.0) // positive only when a first "cn0" took the sizes
VAR(double, MOJIHi, 20.0)
VAR(double, MOJIDi, 20.0)
VAR(int, MOJICi, 20)

// Element file reader: tables
TAB(double, MOJI_W, STYLES, 0.0)  // text width by style; 1 to 10 from "hcw", 0 from "cn0"
TAB(double, MOJI_H, STYLES, 0.0)  // text height by style; 1 to 10 from "hch", 0 from "cn0"
TAB(double, MOJI_D, STYLES, 0.0)  // text spacing by style; 1 to 10 from "hcd", 0 from "cn0"
TAB(int, MOJI_C, STYLES, 0)       // entry 0 from "cn0"
TAB(double, G_SCALE, GROUPS, 1.0) // scale of groups 0 to 15, "hs"
TAB(double, PX, HPmax + 1, 0.0)   // indicated points by "hp" number, 0 to HPmax
TAB(double, PY, HPmax + 1, 0.0)
TAB(double, KX, 10, 0.0) // entries 1 and 5 from "pt" and other "c" records
TAB(double, KY, 10, 0.0)

// Element file reader: indicated points and counters
VAR(int, iPOINT, 0)    // number of the last "hp" record, stored or not
VAR(int, iPOINTcnt, 0) // "hp" records with a recognised marker
VAR(int, stepcnt, 0)   // last stage seen: 1 "hq", 2 "hh..1", 3 counted line segment

// Element file reader: fields of records nothing else reads
VAR(double, CX, 0.0) // "ci", in scan order
VAR(double, CY, 0.0)
VAR(double, CR, 0.0)
VAR(double, SK, 0.0)
VAR(double, EK, 0.0)
VAR(double, HP, 0.0)
VAR(double, JK, 0.0)
VAR(int, iCi_cnt, 0)
VAR(double, ILINEx1, 0.0) // line segment record
VAR(double, ILINEy1, 0.0)
VAR(double, ILINEx2, 0.0)
VAR(double, ILINEy2, 0.0)
VAR(int, iLine_cnt, 0) // segments of non-zero length
VAR(int, ZOKU, 0)      // "z"
VAR(int, isZUSUN, 0)   // 1 after a "bz" line
VAR(int, iPL, 0)       // polyline accumulators, see PLreset
VAR(int, iPLcounter, 0)
VAR(int, iKtensu, 0)
VAR(int, iPLcnt, 0) // "pl" records
VAR(double, KYleng, 0.0)
VAR(double, iLengK, 0.0)

// Balloon drawing
VAR(double, SCALE, 1.0)   // scale of the current group, set by every Kobarn1 call
VAR(double, MOJI_zw, 0.0) // label text width in drawing units
VAR(double, MOJI_zh, 0.0) // label text height in drawing units: the balloon's radius
VAR(double, MOJI_zd, 0.0) // label text spacing in drawing units
