// The record table of the interchange file, dispatched on the first characters of each piece.
#include "reader/reader.h"

#include "state/state.h"
#include "text/format.h"
#include "text/scan.h"
#include "text/textio.h"

#include <cstring>
#include <initializer_list>

namespace
{

// One piece of the input as read, line end included.
struct Piece {
    const char *s;
    int         n;
};

// Character k of the piece, counted from 1; -1 beyond its end, which matches no test.
int At(const Piece &ln, int k)
{
    return k <= ln.n ? static_cast<unsigned char>(ln.s[k - 1]) : -1;
}

Scan From(const Piece &ln, int col)
{
    return ScanFrom(ln.s, ln.n, col);
}

void Copy(const Piece &ln)
{
    if (ln.n > 0 && ln.s[ln.n - 1] == '\n') // the usual piece: one line end, at its end
        TextWriteLine(&fpw, ln.s, ln.n - 1);
    else
        TextWrite(&fpw, ln.s, ln.n);
}

// The first-value rule: a copy still at 20 takes the attribute's value.
void First(int &copy, int value)
{
    if (copy == 20)
        copy = value;
}

// Scans n doubles into consecutive table entries; stops at the first that does not convert.
template <typename Table> void Doubles(Scan sc, Table &t, int first, int n)
{
    for (int i = first; i < first + n; i++)
        ScanDouble(sc, t[i]);
}

// Line segment record: four coordinates; a segment of non-zero length counts.
void LineSegment(const Piece &ln)
{
    Scan sc = From(ln, 2);
    ScanDouble(sc, ILINEx1);
    ScanDouble(sc, ILINEy1);
    ScanDouble(sc, ILINEx2);
    ScanDouble(sc, ILINEy2);
    if (!(ILINEx1 == ILINEx2 && ILINEy1 == ILINEy2)) {
        iLine_cnt++;
        stepcnt = 3;
    }
}

// Point record "hp": number in character 3, marker in 4, coordinates after the marker.
void Point(const Piece &ln)
{
    int  marker = At(ln, 4);
    Scan sc = From(ln, 3);
    iPOINTcnt++;
    ScanInt(sc, iPOINT); // a failed scan keeps the previous number
    bool   slot = iPOINT >= 0 && iPOINT <= HPmax;
    double x = 0.0, y = 0.0; // shown for a number without a slot
    if (slot) {
        Scan xy = From(ln, marker == ' ' ? 4 : 5);
        ScanDouble(xy, PX[iPOINT]);
        ScanDouble(xy, PY[iPOINT]);
        x = PX[iPOINT];
        y = PY[iPOINT];
    }
    if (isTest != 3 || marker == '+')
        return;
    const char *fmt = marker == ' '   ? "##  hp%d   %.2f %.2f \n"
                      : marker == '/' ? "##  hp%d/  %.2f %.2f \n"
                                      : "##  hp%d-  %.2f %.2f \n";
    ConPrintf(stdout, fmt, iPOINT, x, y);
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
        if (MOJISi == 20) {
            MOJISi = 0;
            MOJIS = 0;
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

// Circle record "ci": the last four fields have defaults.
void Circle(const Piece &ln)
{
    HP = -2.0;
    SK = 0.0;
    EK = 360.0;
    JK = 0.0;
    Scan sc = From(ln, 3);
    for (double *v : {&CX, &CY, &CR, &SK, &EK, &HP, &JK})
        ScanDouble(sc, *v);
    iCi_cnt++;
}

// Two or four doubles from character 3 into KX/KY entries 1, then 5.
void KPoints(const Piece &ln, bool four)
{
    Scan sc = From(ln, 3);
    ScanDouble(sc, KX[1]);
    ScanDouble(sc, KY[1]);
    if (four) {
        ScanDouble(sc, KX[5]);
        ScanDouble(sc, KY[5]);
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
        Doubles(From(ln, 4), G_SCALE, 0, GROUPS);
        break;
    case 'c': // "hcw", "hch", "hcd": text sizes of styles 1 to 10
        if (At(ln, 3) == 'w')
            Doubles(From(ln, 5), MOJI_W, 1, 10);
        else if (At(ln, 3) == 'h')
            Doubles(From(ln, 5), MOJI_H, 1, 10);
        else if (At(ln, 3) == 'd')
            Doubles(From(ln, 5), MOJI_D, 1, 10);
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

// "p" records: the "pn" attribute, a point, the start of a polyline.
void PRecord(const Piece &ln)
{
    switch (At(ln, 2)) {
    case 'n': // "pn": hexadecimal
        Attribute(ln, true, TENS, TENSi);
        break;
    case 't': // "pt": one point into KX/KY entry 1
        KPoints(ln, false);
        break;
    case 'l': // "pl": a polyline begins
        PLreset();
        iPL = 1;
        iPLcounter = 0;
        iPLcnt++;
        break;
    }
}

// "c" records: text setting, text style, circle, and the other "c" records.
void CRecord(const Piece &ln)
{
    switch (At(ln, 2)) {
    case 'c': // "cc": text setting
        Attribute(ln, false, MOJIK, MOJIKi);
        break;
    case 'n': // "cn0", numbered or quoted "cn"
        TextStyle(ln);
        break;
    case 'i': // "ci": circle
        Circle(ln);
        break;
    default: // two points into KX/KY entries 1 and 5
        KPoints(ln, true);
        break;
    }
}

// Dispatches one piece by its first character.
void Record(const Piece &ln)
{
    switch (At(ln, 1)) {
    case '#': // comment: copied
        Copy(ln);
        PLreset();
        break;
    case 'b': // "bz": copied
        if (At(ln, 2) == 'z') {
            isZUSUN = 1;
            Copy(ln);
        }
        break;
    case ' ': // line segment
        LineSegment(ln);
        break;
    case 'z': // "z": attribute number
    {
        Scan sc = From(ln, 2);
        ScanInt(sc, ZOKU);
        break;
    }
    case 'h':
        HRecord(ln);
        break;
    case 'l':
        LRecord(ln);
        break;
    case 'p':
        PRecord(ln);
        break;
    case 'c':
        CRecord(ln);
        break;
    }
}

} // namespace

void PLreset()
{
    iPL = 0;
    iPLcounter = 0;
    iKtensu = 0;
    KYleng = 0.0;
    iLengK = Period;
}

int QV_PATTERN(unsigned jd_xmax, unsigned limit)
{
    char spare[PIECE];
    for (unsigned jd_x = 0; jd_x != limit; jd_x++) {
        const char *s;
        int         n = TextPiece(&fp, &s, spare);
        if (n == 0)
            break;
        if (isTest == 3) {
            char buf[PIECE]; // the piece as a text of its own
            std::memcpy(buf, s, n);
            buf[n] = '\0';
            ConPrintf(stdout, "## ---- QV_PATTERN()  qvc_temp.txt processing --------\n");
            ConPrintf(stdout, "##  jd_x=%u/%u : jd_x/jd_xmax  jd_limit=%u\n", jd_x, jd_xmax, limit);
            ConPrintf(stdout, "##  buf=(%s)\n", buf);
        }
        Record(Piece{s, n});
    }
    return 0;
}
