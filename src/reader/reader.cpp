// The record table of the interchange file, dispatched on the first characters of each piece.
#include "reader/reader.h"

#include "state/state.h"
#include "text/format.h"
#include "text/scan.h"
#include "text/textio.h"
#include "writer/writer.h"

#include <cstring>

namespace
{

// One piece of the input as read, line end included.
struct Piece {
    const char *s;
    size_t      n;
};

// Character k of the piece, counted from 1; -1 beyond its end, which matches no test.
int At(const Piece &ln, size_t k)
{
    return k <= ln.n ? static_cast<unsigned char>(ln.s[k - 1]) : -1;
}

Scan From(const Piece &ln, size_t col)
{
    return ScanFrom(ln.s, ln.n, col);
}

// The first-value rule: a copy not taken yet takes the attribute's value.
void First(int &copy, int value)
{
    if (copy == NOT_TAKEN)
        copy = value;
}

// Line segment record: four coordinates; a segment of non-zero length is the third stage.
void LineSegment(const Piece &ln)
{
    Scan sc = From(ln, 2);
    ScanDouble(sc, ILINEx1);
    ScanDouble(sc, ILINEy1);
    ScanDouble(sc, ILINEx2);
    ScanDouble(sc, ILINEy2);
    if (!(ILINEx1 == ILINEx2 && ILINEy1 == ILINEy2))
        stepcnt = 3;
}

// Point record "hp": number in character 3, marker in 4, coordinates after the marker.
void Point(const Piece &ln)
{
    int  marker = At(ln, 4);
    Scan sc = From(ln, 3);
    iPOINTcnt++;
    ScanInt(sc, iPOINT); // a failed scan keeps the previous number
    iPOINTmax = iPOINT > iPOINTmax ? iPOINT : iPOINTmax;
    if (iPOINT >= 0 && iPOINT <= POINTS)
        iPOINTbits |= 1 << iPOINT;
    bool   slot = iPOINT >= 0 && iPOINT <= (wLEAD != 0 ? POINTS : HPmax);
    double x = 0.0, y = 0.0; // shown for a number without a slot
    if (slot) {
        auto k = static_cast<size_t>(iPOINT);
        Scan xy = From(ln, marker == ' ' ? 4 : 5);
        ScanDouble(xy, PX[k]);
        ScanDouble(xy, PY[k]);
        x = PX[k];
        y = PY[k];
    }
    if (isTest != LEVEL_READER || marker == '+')
        return;
    const char *shown = marker == ' ' ? "   " : marker == '/' ? "/  " : "-  ";
    ConPrintf(stdout, "##  hp%d%s%.2f %.2f \n", iPOINT, shown, x, y);
}

// Text style record: "cn0" with sizes, a quoted "cn" (skipped), or a numbered "cn".
void TextStyle(const Piece &ln)
{
    if (At(ln, 3) == '0') {
        MOJIS = 0;
        Scan sc = From(ln, 4);
        ScanDouble(sc, MOJI_W[0]);
        ScanDouble(sc, MOJI_H[0]);
        ScanDouble(sc, MOJI_D[0]);
        ScanInt(sc, MOJI_C[0]);
        if (MOJISi == NOT_TAKEN) {
            MOJISi = 0;
            MOJIWi = MOJI_W[0];
            MOJIHi = MOJI_H[0];
            MOJIDi = MOJI_D[0];
            MOJICi = MOJI_C[0];
        }
    } else if (At(ln, 3) != '"') {
        Scan sc = From(ln, 3);
        ScanInt(sc, MOJIS);
        First(MOJISi, MOJIS);
    }
}

// Attribute record: one integer from character 3, then the first-value rule.
void Attribute(const Piece &ln, bool hex, int &value, int &copy)
{
    Scan sc = From(ln, 3);
    if (hex)
        ScanHex(sc, value);
    else
        ScanInt(sc, value);
    First(copy, value);
}

// "h" records: points, stages, group scales, text sizes.
void HRecord(const Piece &ln)
{
    switch (At(ln, 2)) {
    case 'q': // "hq": first stage
        stepcnt = 1;
        break;
    case 'h': // "hh" with "1" as fourth character: second stage
        if (At(ln, 4) == '1')
            stepcnt = 2;
        break;
    case 'p': // "hp" with a marker: indicated point
        if (At(ln, 4) == ' ' || At(ln, 4) == '+' || At(ln, 4) == '/' || At(ln, 4) == '-')
            Point(ln);
        break;
    case 's': // "hs": sixteen group scales
        ScanDoubles(From(ln, 4), G_SCALE, 0, GROUPS);
        break;
    case 'c': // "hcw", "hch", "hcd": text sizes of styles 1 to 10
        if (At(ln, 3) == 'w')
            ScanDoubles(From(ln, 5), MOJI_W, 1, 10);
        else if (At(ln, 3) == 'h')
            ScanDoubles(From(ln, 5), MOJI_H, 1, 10);
        else if (At(ln, 3) == 'd')
            ScanDoubles(From(ln, 5), MOJI_D, 1, 10);
        break;
    }
}

// "l" records: the current attributes group, layer, line type and colour.
void LRecord(const Piece &ln)
{
    switch (At(ln, 2)) {
    case 'g': // "lg": layer group, hexadecimal
        Attribute(ln, true, GROUP, GROUPi);
        break;
    case 'y': // "ly": layer, hexadecimal
        Attribute(ln, true, LAYER, LAYERi);
        break;
    case 't': // "lt": line type
        Attribute(ln, false, TYPE, TYPEi);
        break;
    case 'c': // "lc": colour
        Attribute(ln, false, COLOR, COLORi);
        break;
    }
}

// Dispatches the first piece of a line by its first character; true when the line is carried
// over (a comment or "bz" line), whose first piece is then copied. The records that only draw or
// describe other elements ("ci", "pt", "pl", "cc", "z" and the other "c" and "p" records) are
// skipped: nothing of them reaches the command file of a balloon.
bool Record(const Piece &ln)
{
    switch (At(ln, 1)) {
    case '#': // comment
        CopyOut(ln.s, ln.n);
        return true;
    case 'b': // "bz"
        if (At(ln, 2) != 'z')
            break;
        CopyOut(ln.s, ln.n);
        return true;
    case ' ': // line segment
        LineSegment(ln);
        break;
    case 'h':
        HRecord(ln);
        break;
    case 'l':
        LRecord(ln);
        break;
    case 'p': // "pn": hexadecimal attribute
        if (At(ln, 2) == 'n')
            Attribute(ln, true, TENS, TENSi);
        break;
    case 'c': // "cn0", numbered or quoted "cn"
        if (At(ln, 2) == 'n')
            TextStyle(ln);
        break;
    }
    return false;
}

} // namespace

// Reads the pieces of the interchange file up to the limit. A line longer than a piece is one
// line: its first piece decides what it is, the later ones are copied with it when it is carried
// over and skipped otherwise; they still count against the limit and show in the trace.
int QV_PATTERN(unsigned jd_xmax, unsigned limit)
{
    char spare[PIECE];
    bool within = false;  // the last piece ended short of its line end
    bool copying = false; // the line of the last piece is carried over
    for (unsigned jd_x = 0; jd_x != limit; jd_x++) {
        const char *s;
        size_t      n = TextPiece(&fp, &s, spare);
        if (n == 0)
            break;
        if (isTest == LEVEL_READER) {
            char buf[PIECE]; // the piece as a text of its own
            std::memcpy(buf, s, n);
            buf[n] = '\0';
            ConPrintf(stdout, "## ---- QV_PATTERN()  qvc_temp.txt processing --------\n");
            ConPrintf(stdout, "##  jd_x=%u/%u : jd_x/jd_xmax  jd_limit=%u\n", jd_x, jd_xmax, limit);
            ConPrintf(stdout, "##  buf=(%s)\n", buf);
        }
        if (!within)
            copying = Record(Piece{s, n});
        else if (copying)
            CopyOut(s, n);
        within = s[n - 1] != '\n';
    }
    if (within && copying)
        CopyEndOut(); // the file ended without a line end
    return 0;
}
