// The balloon: a circle of the label's text height around the first indicated point, a tip
// toward the second, a leader with an optional arrow head or dot, and the label; or, as the
// options ask, another frame, a second entry below the label, one size for a drawing, a text
// beside the frame, another end of the leader.
#include "balloon/balloon.h"

#include "balloon/frames.h"
#include "balloon/label.h"
#include "balloon/leader.h"
#include "state/state.h"
#include "text/format.h"
#include "text/textio.h"
#include "writer/writer.h"

#include <algorithm>
#include <cmath>
#include <cstring>
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

constexpr double BAI = 1.0;          // the radius over the label's text height
constexpr double TIP_SPAN = 2.001;   // the tip's arc spans PAI / 2.001: a hair under a quarter turn
constexpr double OFFSET_UNIT = 0.05; // the label's offset: moji_offset of these, times the scale

// An index that lies outside its table is taken as 0.
static std::size_t InTable(int i, std::size_t count)
{
    return i >= 0 && static_cast<std::size_t>(i) < count ? static_cast<std::size_t>(i) : 0;
}

// The balloon trace's list of the points read: the first four, with -g the others up to the
// highest number read.
static void TracePoints()
{
    ConPrintf(stdout, "# Point ---- Kobarn1() --- cnt<%d>----- \n", iPOINTcnt);
    int last = std::clamp(LastPoint(), HPmax, POINTS);
    for (std::size_t i = 0; i <= static_cast<std::size_t>(last); i++)
        ConPrintf(stdout, "#     PX[%d]=%.1f PY[%d]=%.1f \n", static_cast<int>(i), PX[i],
                  static_cast<int>(i), PY[i]);
}

// The width of a text as drawn: each double-byte character the text width, each single-byte
// one half of it, and the spacing between them.
static double TextWidth(const char *text)
{
    double w = MOJI_zd * (LabelChars(text) - 1);
    for (const char *s = text; *s != '\0'; s += IsLead(*s) ? 2 : 1)
        w += IsLead(*s) ? MOJI_zw : MOJI_zw / 2;
    return w;
}

// The radius of a circle around a label: the text height for one character; for more, the
// circle through the corners of the label's box, as far out as the one-character circle is
// from its square box, and never less than the text height.
static double LabelRadius(const char *label)
{
    if (LabelChars(label) < 2)
        return MOJI_zh * BAI;
    double w = TextWidth(label);
    return std::max(MOJI_zh, std::sqrt(w * w + MOJI_zh * MOJI_zh) / SQRT2);
}

// Selects the label's text style and takes its sizes at the group scale; returns them with the
// widest entry and the radius of the frame around the label, and the second entry below it where
// there is one (the circle through the outer corners of their boxes, h/4 away from the divider),
// at least as large as for a label of wSIZE characters "0" where that is given.
static Sizes TextSizes(const char *label, const char *second)
{
    std::size_t cn = InTable(wCN, MOJI_H.size());
    Cnout(static_cast<int>(cn));
    MOJI_zw = MOJI_W[cn] * SCALE;
    MOJI_zh = MOJI_H[cn] * SCALE;
    MOJI_zd = MOJI_D[cn] * SCALE;
    char zeros[2 * LABEL_CHARS + 1] = "";
    for (int i = 0; i < wSIZE; i++)
        std::strcat(zeros, isZEN == 1 ? "\x82\x4f" : "0"); // full-width "0", or "0"
    bool   grown = isLABEL || isQTY || wSIZE != 0 || wDIAM != 0 || iJOIN > 0;
    double r = isLABEL ? LabelRadius(label) : MOJI_zh * BAI;
    double w = isQTY ? std::max(TextWidth(label), TextWidth(second)) : TextWidth(label);
    for (std::size_t k = 0; k < static_cast<std::size_t>(iJOIN); k++) { // the stack: one size
        char drawn[2 * LABEL_CHARS + 1];
        LabelText(JOIN[k].data(), drawn);
        r = std::max(r, LabelRadius(drawn)), w = std::max(w, TextWidth(drawn));
    }
    if (wSIZE != 0)
        r = std::max(r, LabelRadius(zeros)), w = std::max(w, TextWidth(zeros));
    if (isQTY)
        r = SQRT2 * std::sqrt(w / 2 * (w / 2) + 1.25 * MOJI_zh * (1.25 * MOJI_zh));
    if (wFRM < TEXT_FRAMES)
        r = std::max(r, wDIAM / 2 * SCALE);                 // one size for every balloon (-z)
    double bai = grown && MOJI_zh != 0 ? r / MOJI_zh : BAI; // 1 where the height is 0
    if (isTest == LEVEL_BALLOON) {
        ConPrintf(stdout, "# - SCALE=%.1f MOJI(%d) MOJI-W<%.1f> MOJI-H<%.1f> MOJI-D<%.1f>\n", SCALE,
                  static_cast<int>(cn), MOJI_zw, MOJI_zh, MOJI_zd);
        ConPrintf(stdout, "#     MOJI-H(%.1f) x bai(%.1f) = rbln(%.1f)\n", MOJI_zh, bai, r);
    }
    return Sizes{r, w, MOJI_zh, isQTY != 0, PX[1], PY[1]};
}

// The balloon trace's line of the frame, its size, the second entry and, where asked, the end
// and the text beside.
static void TraceFrame(const Sizes &s, const char *second, const char *beside)
{
    if (isTest != LEVEL_BALLOON ||
        (wFRM == 0 && !isQTY && wSIZE == 0 && !wEND && !isSIDE && wDIAM == 0))
        return;
    if (wFRM >= TEXT_FRAMES)
        ConPrintf(stdout, "#  frame(%d)  w(%.1f)  h(%.1f)  second(%s)", wFRM, s.w, s.h, second);
    else
        ConPrintf(stdout, "#  frame(%d)  r(%.1f)  second(%s)", wFRM, s.r, second);
    if (wEND != 0 || isSIDE)
        ConPrintf(stdout, "  end(%d)  beside(%s)", wEND, beside);
    ConPrintf(stdout, "\n");
}

// The balloon's colour.
static void DrawColour()
{
    std::size_t clr = InTable(wSCLR, std::size(inRGB));
    S16RGBout(inRGB[clr]);
    if (isTest == LEVEL_BALLOON)
        ConPrintf(stdout, "#  Solid(%d)  color-hex(%x)\n", static_cast<int>(clr), inRGB[clr]);
}

// The instruction-data error of the points read, or BALLOON_DRAWN: three or more point records,
// or a last number above 2; with -g and a number above 2, more than POINTS records, or a number
// above POINTS or one of 1 to the highest that no record gave.
static int PointError()
{
    bool more = LastPoint() > 2; // with two points, as without -g
    int  all = more && iPOINTmax <= POINTS ? (1 << (iPOINTmax + 1)) - 2 : 0; // 1 to N
    if (!more ? iPOINTcnt > 2 : iPOINTcnt > POINTS)
        return BALLOON_POINT_COUNT;
    if (!more ? iPOINT > 2 : iPOINTmax > POINTS || (iPOINTbits & all) != all)
        return BALLOON_POINT_NUMBER;
    return BALLOON_DRAWN;
}

// The tip's arc, the two tangents that meet at the tip, and the circle; returns the leader from
// twice the radius, drawn where the second point lies no nearer.
static Leader DrawCircle(const Way &f, double r)
{
    double a = r / SQRT2;
    double t1x = f.X(a, a), t1y = f.Y(a, a);               // circle at +45 degrees
    double t2x = f.X(a, -a), t2y = f.Y(a, -a);             // circle at -45 degrees
    double kx = f.X(SQRT2 * r, 0), ky = f.Y(SQRT2 * r, 0); // where the tangents meet
    double lx = f.X(2 * r, 0), ly = f.Y(2 * r, 0);         // where the leader begins
    if (isTest == LEVEL_BALLOON)
        SCtraceOut(PX[1], PY[1], r, 1.0, f.th, -PAI * 0.25, PAI / TIP_SPAN, -1.0);
    SCout(PX[1], PY[1], r, 1.0, f.th, -PAI * 0.25, PAI / TIP_SPAN, -1.0);
    SL3out(t1x, t1y, lx, ly, kx, ky);
    SL3out(t2x, t2y, lx, ly, kx, ky);
    DrawRing(PX[1], PY[1], r, f.th);
    return Leader{f, 2 * r, !(2 * r > f.d), true};
}

// The label (as drawn) at the centre of s, and the second entry below it where there is one.
static void DrawEntries(const char *label, const char *second, const Sizes &s)
{
    double x = s.x + OFFSET_UNIT * SCALE * moji_offset, y = isQTY ? 0.75 * MOJI_zh : 0;
    CC4out();
    MojiOutS(x, isQTY ? s.y + y : s.y, label); // s.y itself: a y of -0 stays -0
    if (isQTY)
        MojiOutS(x, s.y - y, second);
}

// The first balloon's entries: the label of option -l as drawn (given) or else that of the
// label number, full or half width, and the second entry.
static void DrawLabel(const char *label, bool given, const char *second, const Sizes &s)
{
    std::size_t num = InTable(isNUM, LABELS);
    if (isTest == LEVEL_BALLOON) {
        ConPrintf(stdout, "#  balloon(%s)  isNUM(%d)\n", label, static_cast<int>(num));
        ConPrintf(stdout, "#  balloon(%s)  isNUM(%d)\n", given ? label : FULLWIDTH_LABELS[num],
                  static_cast<int>(num));
    }
    DrawEntries(label, second, s);
}

// The text beside the balloon of s at its label's height, on the side away from the second
// point.
static void DrawBeside(const char *beside, const Sizes &s)
{
    double y = isQTY ? 0.75 * MOJI_zh : 0, out = FrameEdge(s, y) + s.h / 2 + TextWidth(beside) / 2;
    MojiOutS(PX[2] > PX[1] ? s.x - out : s.x + out, isQTY ? s.y + y : s.y, beside);
}

// The stack's later labels as given: each -j's text, or the label after the one before it (the
// first balloon's label as given). False where one has no next label.
static bool StackLabels()
{
    const char *before = isLABEL ? LABEL.data() : HALFWIDTH_LABELS[InTable(isNUM, LABELS)];
    for (std::size_t k = 0; k < static_cast<std::size_t>(iJOIN); before = JOIN[k++].data())
        if (JOIN[k][0] == '\0' && !NextLabel(before, JOIN[k].data()))
            return false;
    return true;
}

// The stack's later balloons, each with the first one's frame (frame 0: the circle of frame 1,
// turned by th) and entries, touching in a row or a column on the side away from the second
// point (right or above unless that point lies there). Returns the sizes of the last one.
static Sizes DrawStack(const Sizes &first, double th, const char *second)
{
    Sizes  s = first;
    double step = StackStep(first), sign = (wORIENT == 0 ? PX[2] > PX[1] : PY[2] > PY[1]) ? -1 : 1;
    for (int k = 0; k < iJOIN; k++) {
        char drawn[2 * LABEL_CHARS + 1];
        LabelText(JOIN[static_cast<std::size_t>(k)].data(), drawn);
        s.x = first.x + (wORIENT == 0 ? sign * step * (k + 1) : 0);
        s.y = first.y + (wORIENT == 1 ? sign * step * (k + 1) : 0);
        if (isTest == LEVEL_BALLOON)
            ConPrintf(stdout, "#  stack(%d)  given(%s)  drawn(%s)  at(%.1f, %.1f)\n", k + 2,
                      JOIN[static_cast<std::size_t>(k)].data(), drawn, s.x, s.y);
        DrawOutline(s, th);
        if (isQTY)
            DrawDivider(s);
        DrawEntries(drawn, second, s);
    }
    return s;
}

// The label as drawn, into given where it is a text (of option -l or of the numbering), or
// that of the label number; the second entry and the text beside as drawn into second and beside.
static const char *Labels(char *given, char *second, char *beside)
{
    if (isNUM > LABELS - 1)
        isNUM = 1;
    std::size_t num = InTable(isNUM, LABELS);
    if (isLABEL)
        LabelText(LABEL.data(), given);
    if (isQTY)
        LabelText(QTY.data(), second);
    if (isSIDE)
        LabelText(SIDE.data(), beside);
    return isLABEL ? given : isZEN == 1 ? FULLWIDTH_LABELS[num] : HALFWIDTH_LABELS[num];
}

int Kobarn1()
{
    SCALE = G_SCALE[InTable(GROUP, G_SCALE.size())];
    if (isTest == LEVEL_BALLOON)
        TracePoints();
    if (int error = PointError(); error != BALLOON_DRAWN)
        return error;
    char        given[2 * LABEL_CHARS + 1] = "", second[2 * LABEL_CHARS + 1] = "";
    char        beside[2 * LABEL_CHARS + 1] = "";
    const char *label = Labels(given, second, beside);
    if (!StackLabels())
        return BALLOON_NO_NEXT;
    Way   f = WayTo(PX[1], PY[1], PX[2], PY[2]);
    Sizes s = TextSizes(label, second);
    TraceFrame(s, second, beside);
    DrawColour();
    Leader l = wFRM == 0 ? DrawCircle(f, s.r) : DrawFrame(f, s);
    if (isQTY)
        DrawDivider(s);
    DrawLeaders(l, s);
    DrawLabel(label, isLABEL != 0, second, s);
    Sizes last = DrawStack(s, f.th, second);
    if (isSIDE)
        DrawBeside(beside, wORIENT == 0 ? last : s); // after a row, beside a column's first
    return BALLOON_DRAWN;
}
