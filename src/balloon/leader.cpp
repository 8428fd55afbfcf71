// The leader and its ends: the open arrow head, the filled one, the dot, the open circle, the
// tick, none, or the open arrow of two strokes.
#include "balloon/leader.h"

#include "text/format.h"
#include "writer/writer.h"

#include <algorithm>

constexpr double DOT = 100.0;       // the dot's last value, the filled head's too
constexpr double HEAD_LENGTH = 3.0; // the arrow head's length, in units of the group scale
constexpr double HEAD_HALF = 1.5;   // half the arrow head's width, in units of the group scale
constexpr double FILLED_HALF = 0.16514867741462683; // atan(1 / 6): the filled head is 1 in 3 wide
constexpr double STROKE_COS = 0.96592582628906831;  // the strokes stand 15 degrees off the leader
constexpr double STROKE_SIN = 0.25881904510252074;

// The leader's ends of option -k; END_BY_OPTIONS lets -y and -p decide.
enum End {
    END_BY_OPTIONS,
    END_OPEN,
    END_FILLED,
    END_DOT,
    END_CIRCLE,
    END_TICK,
    END_NONE,
    END_STROKES
};

// The leader's ends at the end of its way w, each turned along it, at scale S. The open arrow head:
// two lines back to HEAD_LENGTH before the point, HEAD_HALF to either side.
static void EndOpen(const Way &w, double S)
{
    double back = w.d - HEAD_LENGTH * S;
    SL3out(w.ex, w.ey, w.X(back, HEAD_HALF * S), w.Y(back, HEAD_HALF * S),
           w.X(back, -HEAD_HALF * S), w.Y(back, -HEAD_HALF * S));
}

// The filled arrow head: a sector HEAD_LENGTH long, turned back along the leader, 1 in 3 wide.
static void EndFilled(const Way &w, double S)
{
    SCout(w.ex, w.ey, HEAD_LENGTH * S, 1.0, w.th > 0 ? w.th - PAI : w.th + PAI, -FILLED_HALF,
          2 * FILLED_HALF, DOT);
}

// The dot.
static void EndDot(const Way &w, double S)
{
    SCout(w.ex, w.ey, S, 1.0, 0.0, 0.0, 2 * PAI, DOT);
}

// The open circle, of radius S, its line as wide as the frame's (width) but never more than half
// its radius; the leader ends on it.
static void EndCircle(const Way &w, double S, double width)
{
    SOout(w.ex, w.ey, S, 1.0, w.th, 0.0, 2 * PAI, std::max(S - width, S / 2));
}

// The tick: a line HEAD_LENGTH long through the point, at 45 degrees to the leader.
static void EndTick(const Way &w, double S)
{
    double a = HEAD_HALF * S / SQRT2;
    SL2out(w.X(w.d - a, -a), w.Y(w.d - a, -a), w.X(w.d + a, a), w.Y(w.d + a, a));
}

// The open arrow of two strokes: two lines from the point, HEAD_LENGTH long, 15 degrees off the
// leader to either side.
static void EndStrokes(const Way &w, double S)
{
    double back = w.d - HEAD_LENGTH * S * STROKE_COS, side = HEAD_LENGTH * S * STROKE_SIN;
    SL2out(w.ex, w.ey, w.X(back, side), w.Y(back, side));
    SL2out(w.ex, w.ey, w.X(back, -side), w.Y(back, -side));
}

// Writes end `end` at the end of the way w; width is the frame's line width.
static void DrawEnd(int end, const Way &w, double S, double width)
{
    switch (end) {
    case END_OPEN:
        return EndOpen(w, S);
    case END_FILLED:
        return EndFilled(w, S);
    case END_DOT:
        return EndDot(w, S);
    case END_CIRCLE:
        return EndCircle(w, S, width);
    case END_TICK:
        return EndTick(w, S);
    case END_STROKES:
        return EndStrokes(w, S);
    }
}

// Writes the leader l where it is drawn, and its end where `end` says (frame 0's first ends
// on its tip's leader always, every other end only on a leader at least as long as the head, the
// dot always; the ring's line as wide as the frame's, after s).
static void DrawLeader(const Leader &l, const Sizes &s, bool end)
{
    if (!l.drawn)
        return;
    const Way &w = l.w;
    double     S = SCALE, width = (1 - RING) * (wFRM < TEXT_FRAMES ? s.r : s.h);
    bool       first = wEND == END_BY_OPTIONS || wEND == END_OPEN || wEND == END_DOT;
    bool       fits = (l.tip && first) || !(w.d - l.from < HEAD_LENGTH * S);
    bool       ring = end && wEND == END_CIRCLE && fits; // the leader ends on the circle
    if (isTest == LEVEL_BALLOON && LastPoint() > 2)
        ConPrintf(stdout, "#  leader  from(%.1f, %.1f)  to(%.1f, %.1f)\n", w.X(l.from, 0),
                  w.Y(l.from, 0), w.ex, w.ey);
    SL2out(w.X(l.from, 0), w.Y(l.from, 0), ring ? w.X(w.d - S, 0) : w.ex,
           ring ? w.Y(w.d - S, 0) : w.ey);
    if (end && wEND == END_BY_OPTIONS && isYA != 0 && fits)
        DrawEnd(END_OPEN, w, S, width);
    if (end && wEND == END_BY_OPTIONS && isTEN != 0)
        DrawEnd(END_DOT, w, S, width);
    if (end && wEND != END_BY_OPTIONS && (fits || wEND == END_DOT))
        DrawEnd(wEND, w, S, width);
}

int LastPoint()
{
    return wLEAD != 0 && iPOINTmax > 2 ? iPOINTmax : 2;
}

void DrawLeaders(const Leader &first, const Sizes &s)
{
    int last = LastPoint();
    if (wLEAD != LEAD_BENT || last == 2) {
        DrawLeader(first, s, true);
        for (std::size_t k = 3; wLEAD == LEAD_MANY && k <= static_cast<std::size_t>(last); k++)
            DrawLeader(FrameLeader(s, PX[k], PY[k]), s, true);
        return;
    }
    Leader segment = first; // the one before the last, once another follows; equal points none
    for (std::size_t k = 3; k <= static_cast<std::size_t>(last); k++) {
        if (PX[k] == PX[k - 1] && PY[k] == PY[k - 1])
            continue;
        DrawLeader(segment, s, false);
        segment = {WayTo(PX[k - 1], PY[k - 1], PX[k], PY[k]), 0.0, true, false};
    }
    DrawLeader(segment, s, true);
}
