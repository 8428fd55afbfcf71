// The balloon: a circle of the label's text height around the first indicated point, a tip
// toward the second, a leader with an optional arrow head or dot, and a one-character label.
#include "balloon/balloon.h"

#include "state/state.h"
#include "text/format.h"
#include "writer/writer.h"

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

static const double SQRT2 = 1.4142135623730951;

// An index that lies outside its table is taken as 0.
static int InTable(int i, std::size_t count)
{
    return i >= 0 && static_cast<std::size_t>(i) < count ? i : 0;
}

int Kobarn1()
{
    SCALE = G_SCALE[InTable(GROUP, G_SCALE.size())];
    if (isTest == 2) {
        ConPrintf(stdout, "# Point ---- Kobarn1() --- cnt<%d>----- \n", iPOINTcnt);
        for (int i = 0; i <= HPmax; i++)
            ConPrintf(stdout, "#     PX[%d]=%.1f PY[%d]=%.1f \n", i, PX[i], i, PY[i]);
    }
    if (iPOINTcnt > 2)
        return 1;
    if (iPOINT > 2)
        return 2;

    double d = std::sqrt((PX[1] - PX[2]) * (PX[1] - PX[2]) + (PY[1] - PY[2]) * (PY[1] - PY[2]));
    double th = std::atan2(PY[2] - PY[1], PX[2] - PX[1]);
    double sn = std::sin(th), cs = std::cos(th);
    // The point (u, v) of the balloon frame: origin P1, u axis toward P2.
    auto Fx = [&](double u, double v) { return PX[1] + (u * cs - v * sn); };
    auto Fy = [&](double u, double v) { return PY[1] + (u * sn + v * cs); };

    int cn = InTable(wCN, MOJI_H.size());
    Cnout(cn);
    MOJI_zw = MOJI_W[cn] * SCALE;
    MOJI_zh = MOJI_H[cn] * SCALE;
    MOJI_zd = MOJI_D[cn] * SCALE;
    double r = MOJI_zh * 1.0;
    double S = SCALE;
    if (isTest == 2) {
        ConPrintf(stdout, "# - SCALE=%.1f MOJI(%d) MOJI-W<%.1f> MOJI-H<%.1f> MOJI-D<%.1f>\n", SCALE,
                  cn, MOJI_zw, MOJI_zh, MOJI_zd);
        ConPrintf(stdout, "#     MOJI-H(%.1f) x bai(%.1f) = rbln(%.1f)\n", MOJI_zh, 1.0, r);
    }

    double a = r / SQRT2;
    double t1x = Fx(a, a), t1y = Fy(a, a);               // circle at +45 degrees
    double t2x = Fx(a, -a), t2y = Fy(a, -a);             // circle at -45 degrees
    double kx = Fx(SQRT2 * r, 0), ky = Fy(SQRT2 * r, 0); // where the tangents meet
    double lx = Fx(2 * r, 0), ly = Fy(2 * r, 0);         // where the leader begins

    int clr = InTable(wSCLR, std::size(inRGB));
    S16RGBout(inRGB[clr]);
    if (isTest == 2) {
        ConPrintf(stdout, "#  Solid(%d)  color-hex(%x)\n", clr, inRGB[clr]);
        SCtraceOut(PX[1], PY[1], r, 1.0, th, -PAI * 0.25, PAI / 2.001, -1.0);
    }
    SCout(PX[1], PY[1], r, 1.0, th, -PAI * 0.25, PAI / 2.001, -1.0);
    SL3out(t1x, t1y, lx, ly, kx, ky);
    SL3out(t2x, t2y, lx, ly, kx, ky);
    SOout(PX[1], PY[1], r, 1.0, th, 0.0, 2 * PAI, 0.95 * r);

    if (!(2 * r > d)) {
        SL2out(lx, ly, PX[2], PY[2]);
        if (isYA != 0)
            SL3out(PX[2], PY[2], Fx(d - 3 * S, 1.5 * S), Fy(d - 3 * S, 1.5 * S),
                   Fx(d - 3 * S, -1.5 * S), Fy(d - 3 * S, -1.5 * S));
        if (isTEN != 0)
            SCout(PX[2], PY[2], S, 1.0, 0.0, 0.0, 2 * PAI, 100.0);
    }

    if (isNUM > LABELS - 1)
        isNUM = 1;
    int num = InTable(isNUM, LABELS);
    CC4out();
    char label[3];
    std::memcpy(label, isZEN == 1 ? FULLWIDTH_LABELS[num] : HALFWIDTH_LABELS[num], sizeof label);
    if (isTest == 2) {
        ConPrintf(stdout, "#  balloon(%s)  isNUM(%d)\n", label, num);
        ConPrintf(stdout, "#  balloon(%s)  isNUM(%d)\n", FULLWIDTH_LABELS[num], num);
    }
    MojiOutS(PX[1] + 0.05 * SCALE * moji_offset, PY[1], label);
    return 0;
}
