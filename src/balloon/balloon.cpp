// The balloon: a circle of the label's text height around the first indicated point, a tip
// toward the second, a leader with an optional arrow head or dot, and a one-character label.
#include "balloon/balloon.h"

#include "state/state.h"
#include "text/format.h"
#include "text/textio.h"
#include "writer/writer.h"

#include <algorithm>
#include <cmath>
#include <iterator>

// Balloon colours as 0xRRGGBB, by colour number.
static const unsigned inRGB[] = {
    0x000000, // black
    0xFF0000, // red
    0x008000, // green
    0x0000FF, // blue
    0xFFA500, // orange
    0xEE82EE, // violet
    0x00FFFF, // cyan
    0xA52A2A, // brown
    0x808000, // olive
    0x808080, // grey
};

// Labels by label number: "0" to "9", then "A" to "J".
static const char HALFWIDTH_LABELS[][3] = {"0", "1", "2", "3", "4", "5", "6", "7", "8", "9",
                                           "A", "B", "C", "D", "E", "F", "G", "H", "I", "J"};

// The same labels in full-width Shift_JIS form.
static const char FULLWIDTH_LABELS[][3] = {
    "\x82\x4f", "\x82\x50", "\x82\x51", "\x82\x52", "\x82\x53", // full-width 0 to 4
    "\x82\x54", "\x82\x55", "\x82\x56", "\x82\x57", "\x82\x58", // full-width 5 to 9
    "\x82\x60", "\x82\x61", "\x82\x62", "\x82\x63", "\x82\x64", // full-width A to E
    "\x82\x65", "\x82\x66", "\x82\x67", "\x82\x68", "\x82\x69", // full-width F to J
};

constexpr int LABELS = std::size(HALFWIDTH_LABELS); // label numbers 0 to LABELS - 1
static_assert(std::size(FULLWIDTH_LABELS) == LABELS);

static const double SQRT2 = 1.4142135623730951;

constexpr double BAI = 1.0;          // the radius over the label's text height
constexpr double TIP_SPAN = 2.001;   // the tip's arc spans PAI / 2.001: a hair under a quarter turn
constexpr double RING = 0.95;        // the circle's last value: 0.95 of its radius
constexpr double DOT = 100.0;        // the dot's last value
constexpr double HEAD_LENGTH = 3.0;  // the arrow head's length, in units of the group scale
constexpr double HEAD_HALF = 1.5;    // half the arrow head's width, in units of the group scale
constexpr double OFFSET_UNIT = 0.05; // the label's offset: moji_offset of these, times the scale

// The balloon's frame: origin the first point, u axis toward the second, at distance d.
struct Frame {
    double d, th, sn, cs;
    double X(double u, double v) const
    {
        return PX[1] + (u * cs - v * sn);
    }
    double Y(double u, double v) const
    {
        return PY[1] + (u * sn + v * cs);
    }
};

// An index that lies outside its table is taken as 0.
static std::size_t InTable(int i, std::size_t count)
{
    return i >= 0 && static_cast<std::size_t>(i) < count ? static_cast<std::size_t>(i) : 0;
}

// The balloon trace's list of the points read.
static void TracePoints()
{
    ConPrintf(stdout, "# Point ---- Kobarn1() --- cnt<%d>----- \n", iPOINTcnt);
    for (std::size_t i = 0; i <= HPmax; i++)
        ConPrintf(stdout, "#     PX[%d]=%.1f PY[%d]=%.1f \n", static_cast<int>(i), PX[i],
                  static_cast<int>(i), PY[i]);
}

static Frame FrameOf()
{
    double d = std::sqrt((PX[1] - PX[2]) * (PX[1] - PX[2]) + (PY[1] - PY[2]) * (PY[1] - PY[2]));
    double th = std::atan2(PY[2] - PY[1], PX[2] - PX[1]);
    return Frame{d, th, std::sin(th), std::cos(th)};
}

// The label of option -l as drawn into out (2 * LABEL_CHARS + 1 bytes): full width turns its
// ASCII digits and Latin letters into their full-width Shift_JIS characters, every other
// character stays as given. Returns its number of characters.
static int LabelText(char *out)
{
    int chars = 0;
    for (const char *s = LABEL.data(); *s != '\0'; chars++) {
        char c = *s;
        bool digit = c >= '0' && c <= '9', upper = c >= 'A' && c <= 'Z',
             lower = c >= 'a' && c <= 'z';
        if (isZEN == 1 &&
            (digit || upper || lower)) { // 0x82 0x4F "0", 0x82 0x60 "A", 0x82 0x81 "a"
            *out++ = '\x82';
            *out++ = static_cast<char>(digit   ? 0x4F + c - '0'
                                       : upper ? 0x60 + c - 'A'
                                               : 0x81 + c - 'a');
            s++;
        } else {
            int n = IsLead(c) ? 2 : 1;
            while (n-- > 0)
                *out++ = *s++;
        }
    }
    *out = '\0';
    return chars;
}

// The radius of a circle around a label of chars characters: the text height for one; for
// more, the circle through the corners of the label's box (each double-byte character the
// text width wide, each single-byte one half of it, the spacing between them), as far out as
// the one-character circle is from its square box, and never less than the text height.
static double LabelRadius(const char *label, int chars)
{
    if (chars < 2)
        return MOJI_zh * BAI;
    double w = MOJI_zd * (chars - 1);
    for (const char *s = label; *s != '\0'; s += IsLead(*s) ? 2 : 1)
        w += IsLead(*s) ? MOJI_zw : MOJI_zw / 2;
    return std::max(MOJI_zh, std::sqrt(w * w + MOJI_zh * MOJI_zh) / SQRT2);
}

// Selects the label's text style and takes its sizes at the group scale; returns the radius of
// the circle around the label (isLABEL: of chars characters; otherwise one).
static double TextSizes(const char *label, int chars)
{
    std::size_t cn = InTable(wCN, MOJI_H.size());
    Cnout(static_cast<int>(cn));
    MOJI_zw = MOJI_W[cn] * SCALE;
    MOJI_zh = MOJI_H[cn] * SCALE;
    MOJI_zd = MOJI_D[cn] * SCALE;
    double r = isLABEL ? LabelRadius(label, chars) : MOJI_zh * BAI;
    double bai = isLABEL && MOJI_zh != 0 ? r / MOJI_zh : BAI; // 1 where the height is 0
    if (isTest == LEVEL_BALLOON) {
        ConPrintf(stdout, "# - SCALE=%.1f MOJI(%d) MOJI-W<%.1f> MOJI-H<%.1f> MOJI-D<%.1f>\n", SCALE,
                  static_cast<int>(cn), MOJI_zw, MOJI_zh, MOJI_zd);
        ConPrintf(stdout, "#     MOJI-H(%.1f) x bai(%.1f) = rbln(%.1f)\n", MOJI_zh, bai, r);
    }
    return r;
}

// The colour, the tip's arc, the two tangents that meet at the tip, and the circle.
static void DrawCircle(const Frame &f, double r)
{
    double      a = r / SQRT2;
    double      t1x = f.X(a, a), t1y = f.Y(a, a);               // circle at +45 degrees
    double      t2x = f.X(a, -a), t2y = f.Y(a, -a);             // circle at -45 degrees
    double      kx = f.X(SQRT2 * r, 0), ky = f.Y(SQRT2 * r, 0); // where the tangents meet
    double      lx = f.X(2 * r, 0), ly = f.Y(2 * r, 0);         // where the leader begins
    std::size_t clr = InTable(wSCLR, std::size(inRGB));
    S16RGBout(inRGB[clr]);
    if (isTest == LEVEL_BALLOON) {
        ConPrintf(stdout, "#  Solid(%d)  color-hex(%x)\n", static_cast<int>(clr), inRGB[clr]);
        SCtraceOut(PX[1], PY[1], r, 1.0, f.th, -PAI * 0.25, PAI / TIP_SPAN, -1.0);
    }
    SCout(PX[1], PY[1], r, 1.0, f.th, -PAI * 0.25, PAI / TIP_SPAN, -1.0);
    SL3out(t1x, t1y, lx, ly, kx, ky);
    SL3out(t2x, t2y, lx, ly, kx, ky);
    SOout(PX[1], PY[1], r, 1.0, f.th, 0.0, 2 * PAI, RING * r);
}

// The leader from the tip's end to the second point, with its arrow head and dot; none where
// the circle reaches the second point.
static void DrawLeader(const Frame &f, double r)
{
    if (2 * r > f.d)
        return;
    double S = SCALE, lx = f.X(2 * r, 0), ly = f.Y(2 * r, 0), back = f.d - HEAD_LENGTH * S;
    SL2out(lx, ly, PX[2], PY[2]);
    if (isYA != 0)
        SL3out(PX[2], PY[2], f.X(back, HEAD_HALF * S), f.Y(back, HEAD_HALF * S),
               f.X(back, -HEAD_HALF * S), f.Y(back, -HEAD_HALF * S));
    if (isTEN != 0)
        SCout(PX[2], PY[2], S, 1.0, 0.0, 0.0, 2 * PAI, DOT);
}

// The label beside the first point: given, the label of option -l as drawn, or else that of
// the label number, full or half width.
static void DrawLabel(const char *given)
{
    if (isNUM > LABELS - 1)
        isNUM = 1;
    std::size_t num = InTable(isNUM, LABELS);
    CC4out();
    const char *label = given ? given : isZEN == 1 ? FULLWIDTH_LABELS[num] : HALFWIDTH_LABELS[num];
    if (isTest == LEVEL_BALLOON) {
        ConPrintf(stdout, "#  balloon(%s)  isNUM(%d)\n", label, static_cast<int>(num));
        ConPrintf(stdout, "#  balloon(%s)  isNUM(%d)\n", given ? given : FULLWIDTH_LABELS[num],
                  static_cast<int>(num));
    }
    MojiOutS(PX[1] + OFFSET_UNIT * SCALE * moji_offset, PY[1], label);
}

int Kobarn1()
{
    SCALE = G_SCALE[InTable(GROUP, G_SCALE.size())];
    if (isTest == LEVEL_BALLOON)
        TracePoints();
    if (iPOINTcnt > 2)
        return BALLOON_POINT_COUNT;
    if (iPOINT > 2)
        return BALLOON_POINT_NUMBER;
    Frame  f = FrameOf();
    char   label[2 * LABEL_CHARS + 1] = "";
    int    chars = isLABEL ? LabelText(label) : 1;
    double r = TextSizes(label, chars);
    DrawCircle(f, r);
    DrawLeader(f, r);
    DrawLabel(isLABEL ? label : nullptr);
    return BALLOON_DRAWN;
}
