// The plain frames: a circle, a hexagon, a triangle and a square, each around the circle of
// radius r about the first point, so that each holds what that circle holds; and the frames
// sized to the entries' box: a rectangle, a line under the label, and none.
#include "balloon/frames.h"

#include "writer/writer.h"

#include <algorithm>
#include <cmath>

constexpr int LINE = 6;  // the frame that is one line under the label
constexpr int ALONE = 7; // the frame that is the text alone

// The corners of each frame, counterclockwise: for frames 1 to 4 in units of r, their sides
// touching the circle of radius r at their middles; for frame 5 in units of its half width and
// half height. The circles (frames 0 and 1) have none. A frame sized to the text is wide times h
// wider than the entries' box, and high times h (tall times h with a second entry) above and
// below the centre.
static const struct {
    int    corners;
    double x[6], y[6];
    double wide, high, tall;
} SHAPES[FRAMES] = {
    {0, {},                                            {},             0,   0,   0   },
    {0, {},                                            {},             0,   0,   0   },
    {6, // hexagon, flat at the top: corners at 2 / sqrt(3) and 1 / sqrt(3) to the sides
     {1.1547005383792517, 0.5773502691896258, -0.5773502691896258, -1.1547005383792517,
      -0.5773502691896258, 0.5773502691896258},
     {0, 1, 1, 0, -1, -1},
     0,                                                                     0,
     0                                                                               },
    {3, {0, -1.7320508075688772, 1.7320508075688772},  {2, -1, -1},    0,   0,   0   }, // triangle
    {4, {1, -1, -1, 1},                                {1, 1, -1, -1}, 0,   0,   0   }, // square
    {4, {1, -1, -1, 1},                                {1, 1, -1, -1}, 0.5, 1,   1.75}, // rectangle
    {0, {},                                            {},             0,   0.5, 1.25}, // line
    {0, {},                                            {},             0,   0.5, 1.25}, // text alone
};

// The greatest of the sides' middles of frame wFRM projected on (x, y): along a way of length
// 1, r over how far the nearest side lies; for an offset from the first point, r times how far
// out of the frame it lies (1: on its edge).
static double Most(double x, double y)
{
    const auto &s = SHAPES[wFRM];
    double      most = 0;
    for (int k = 0; k < s.corners; k++) {
        int next = (k + 1) % s.corners; // the middle of a side is its direction, of length 1
        most = std::max(most, (s.x[k] + s.x[next]) / 2 * x + (s.y[k] + s.y[next]) / 2 * y);
    }
    return most;
}

// How far from the first point the way in direction (ux, uy) leaves frame wFRM of radius r
// (1 to 4): r for a circle; for a polygon, where it crosses the side it meets first.
static double Reach(double r, double ux, double uy)
{
    return SHAPES[wFRM].corners == 0 ? r : r / Most(ux, uy);
}

// Half the width and half the height of frame wFRM, sized to the entries' box.
static void HalfBox(const Sizes &s, double &hx, double &hy)
{
    const auto &b = SHAPES[wFRM];
    hx = s.w / 2 + b.wide * s.h;
    hy = (s.second ? b.tall : b.high) * s.h;
}

// True where (x, y) lies within the box hx by hy on either side of the centre of s.
static bool Within(const Sizes &s, double x, double y, double hx, double hy)
{
    return std::fabs(x - s.x) < hx && std::fabs(y - s.y) < hy;
}

// Writes the corners' sides of frame wFRM around the centre of s, the corners scaled by sx
// across and sy up.
static void DrawSides(const Sizes &s, double sx, double sy)
{
    const auto &shape = SHAPES[wFRM];
    for (int k = 0; k < shape.corners; k++) {
        int next = (k + 1) % shape.corners;
        SL2out(s.x + shape.x[k] * sx, s.y + shape.y[k] * sy, s.x + shape.x[next] * sx,
               s.y + shape.y[next] * sy);
    }
}

Way WayTo(double ox, double oy, double ex, double ey)
{
    double dx = ex - ox, dy = ey - oy, th = std::atan2(dy, dx);
    return Way{std::sqrt(dx * dx + dy * dy), th, std::sin(th), std::cos(th), ox, oy, ex, ey};
}

// The height of frame 6's line: under the label, or between the two entries.
static double LineY(const Sizes &s)
{
    return s.second ? s.y : s.y - 0.75 * s.h;
}

// Frame 7, the text alone: the leader keeps off the text, from the middle of a side of the
// entries' box grown by h/4: its top or bottom where the second point lies above or below the
// grown box and within its width, else its left or right, the one nearer that point; drawn
// where the point lies on or outside the grown box.
static Leader AloneLeader(const Sizes &s, double hx, double hy, double x, double y)
{
    double gx = hx + s.h / 4, gy = hy + s.h / 4, dx = x - s.x, dy = y - s.y;
    bool   across = std::fabs(dy) >= gy && std::fabs(dx) <= gx;
    double x0 = across ? s.x : dx > 0 ? s.x + gx : s.x - gx;
    double y0 = !across ? s.y : dy > 0 ? s.y + gy : s.y - gy;
    return {WayTo(x0, y0, x, y), 0.0, !Within(s, x, y, gx, gy), false};
}

void DrawRing(double x, double y, double r, double th)
{
    SOout(x, y, r, 1.0, th, 0.0, 2 * PAI, RING * r);
}

void DrawOutline(const Sizes &s, double th)
{
    double hx = 0, hy = 0;
    if (wFRM == LINE) {
        double half = FrameEdge(s, 0);
        SL2out(s.x - half, LineY(s), s.x + half, LineY(s));
    } else if (wFRM >= TEXT_FRAMES) {
        HalfBox(s, hx, hy);
        DrawSides(s, hx, hy); // frame 7 has none
    } else {
        if (SHAPES[wFRM].corners == 0)
            DrawRing(s.x, s.y, s.r, th);
        DrawSides(s, s.r, s.r);
    }
}

Leader FrameLeader(const Sizes &s, double x, double y)
{
    double hx = 0, hy = 0;
    Way    w = WayTo(s.x, s.y, x, y);
    if (wFRM >= TEXT_FRAMES) {
        HalfBox(s, hx, hy);
        if (wFRM == LINE) { // from the line's end on the point's side (left: straight up)
            double half = FrameEdge(s, 0);
            return {WayTo(x > s.x ? s.x + half : s.x - half, LineY(s), x, y), 0.0,
                    !Within(s, x, y, hx, hy), false};
        }
        if (wFRM == ALONE)
            return AloneLeader(s, hx, hy, x, y);
        double across = w.cs != 0 ? hx / std::fabs(w.cs) : HUGE_VAL;
        double up = w.sn != 0 ? hy / std::fabs(w.sn) : HUGE_VAL;
        return {w, std::min(across, up), !Within(s, x, y, hx, hy), false};
    }
    double from = Reach(s.r, w.cs, w.sn); // a polygon's edge by the point's own offset
    bool   out = SHAPES[wFRM].corners == 0 ? !(from > w.d) : !(Most(x - s.x, y - s.y) < s.r);
    return {w, from, out, false};
}

Leader DrawFrame(const Way &w, const Sizes &s)
{
    DrawOutline(s, w.th);
    return FrameLeader(s, w.ex, w.ey);
}

void DrawDivider(const Sizes &s)
{
    double hx = 0, hy = 0;
    if (wFRM < TEXT_FRAMES)
        SL2out(s.x - Reach(s.r, -1, 0), s.y, s.x + Reach(s.r, 1, 0), s.y);
    else if (wFRM != LINE && SHAPES[wFRM].corners != 0) // the line divides itself; no frame none
        HalfBox(s, hx, hy), SL2out(s.x - hx, s.y, s.x + hx, s.y);
}

double StackStep(const Sizes &s)
{
    const auto &shape = SHAPES[wFRM];
    double      hx = 0, hy = 0, lo = 0, hi = 0;
    if (wFRM >= TEXT_FRAMES)
        HalfBox(s, hx, hy);
    if (wFRM > TEXT_FRAMES) // the entries' boxes, h apart in a row, h/2 in a column
        return wORIENT == 0 ? s.w + s.h : 2 * hy + s.h / 2;
    if (wFRM == TEXT_FRAMES)
        return wORIENT == 0 ? 2 * hx : 2 * hy;
    if (shape.corners == 0)
        return 2 * s.r;
    for (int k = 0; k < shape.corners; k++) {
        double c = wORIENT == 0 ? shape.x[k] : shape.y[k];
        lo = std::min(lo, c), hi = std::max(hi, c);
    }
    return (hi - lo) * s.r;
}

double FrameEdge(const Sizes &s, double y)
{
    const auto &shape = SHAPES[wFRM];
    double      hx = 0, hy = 0, edge = HUGE_VAL;
    if (wFRM == LINE) // the line's end
        return s.w / 2 + s.h / 2;
    if (wFRM >= TEXT_FRAMES) {
        HalfBox(s, hx, hy);
        return hx;
    }
    if (shape.corners == 0)
        return std::sqrt(std::max(0.0, s.r * s.r - y * y));
    for (int k = 0; k < shape.corners; k++) { // each side to the right: where it meets height y
        int    next = (k + 1) % shape.corners;
        double mx = (shape.x[k] + shape.x[next]) / 2, my = (shape.y[k] + shape.y[next]) / 2;
        if (mx > 0)
            edge = std::min(edge, (s.r - my * y) / mx);
    }
    return edge == HUGE_VAL ? 0 : edge;
}
