// The leader and its ends: the open arrow head, the filled one, the dot, the open circle, the
// tick, none, or the open arrow of two strokes.
#include "balloon/leader.h"

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

// The leader's ends at the second point, each along f's u axis at scale S. The open arrow head:
// two lines back to HEAD_LENGTH before the point, HEAD_HALF to either side.
static void EndOpen(const Frame &f, double S)
{
    double back = f.d - HEAD_LENGTH * S;
    SL3out(PX[2], PY[2], f.X(back, HEAD_HALF * S), f.Y(back, HEAD_HALF * S),
           f.X(back, -HEAD_HALF * S), f.Y(back, -HEAD_HALF * S));
}

// The filled arrow head: a sector HEAD_LENGTH long, turned back along the leader, 1 in 3 wide.
static void EndFilled(const Frame &f, double S)
{
    SCout(PX[2], PY[2], HEAD_LENGTH * S, 1.0, f.th > 0 ? f.th - PAI : f.th + PAI, -FILLED_HALF,
          2 * FILLED_HALF, DOT);
}

// The dot.
static void EndDot(const Frame &, double S)
{
    SCout(PX[2], PY[2], S, 1.0, 0.0, 0.0, 2 * PAI, DOT);
}

// The open circle, of radius S, its line as wide as the frame's (width) but never more than half
// its radius; the leader ends on it.
static void EndCircle(const Frame &f, double S, double width)
{
    SOout(PX[2], PY[2], S, 1.0, f.th, 0.0, 2 * PAI, std::max(S - width, S / 2));
}

// The tick: a line HEAD_LENGTH long through the point, at 45 degrees to the leader.
static void EndTick(const Frame &f, double S)
{
    double a = HEAD_HALF * S / SQRT2;
    SL2out(f.X(f.d - a, -a), f.Y(f.d - a, -a), f.X(f.d + a, a), f.Y(f.d + a, a));
}

// The open arrow of two strokes: two lines from the point, HEAD_LENGTH long, 15 degrees off the
// leader to either side.
static void EndStrokes(const Frame &f, double S)
{
    double back = f.d - HEAD_LENGTH * S * STROKE_COS, side = HEAD_LENGTH * S * STROKE_SIN;
    SL2out(PX[2], PY[2], f.X(back, side), f.Y(back, side));
    SL2out(PX[2], PY[2], f.X(back, -side), f.Y(back, -side));
}

// Writes end `end` at the second point; width is the frame's line width.
static void DrawEnd(int end, const Frame &f, double S, double width)
{
    switch (end) {
    case END_OPEN:
        return EndOpen(f, S);
    case END_FILLED:
        return EndFilled(f, S);
    case END_DOT:
        return EndDot(f, S);
    case END_CIRCLE:
        return EndCircle(f, S, width);
    case END_TICK:
        return EndTick(f, S);
    case END_STROKES:
        return EndStrokes(f, S);
    }
}

void DrawLeader(const Leader &l, const Sizes &s)
{
    if (!l.drawn)
        return;
    const Frame &f = l.f;
    double       S = SCALE, width = (1 - RING) * (wFRM < TEXT_FRAMES ? s.r : s.h);
    // Frame 0 draws its first ends on any leader it draws; every other end and frame only on
    // a leader at least as long as the head.
    bool first = wEND == END_BY_OPTIONS || wEND == END_OPEN || wEND == END_DOT;
    bool fits = (wFRM == 0 && first) || !(f.d - l.from < HEAD_LENGTH * S);
    bool ring = wEND == END_CIRCLE && fits; // the leader ends on the circle
    SL2out(f.X(l.from, 0), f.Y(l.from, 0), ring ? f.X(f.d - S, 0) : PX[2],
           ring ? f.Y(f.d - S, 0) : PY[2]);
    if (wEND == END_BY_OPTIONS && isYA != 0 && fits)
        DrawEnd(END_OPEN, f, S, width);
    if (wEND == END_BY_OPTIONS && isTEN != 0)
        DrawEnd(END_DOT, f, S, width);
    if (wEND != END_BY_OPTIONS && (fits || wEND == END_DOT))
        DrawEnd(wEND, f, S, width);
}
