// The frames of the balloon around the first indicated point, and what they share with it.
#pragma once

#include "state/state.h"

constexpr double SQRT2 = 1.4142135623730951;
constexpr double RING = 0.95; // a circle's last value over its radius: its line is 0.05 of it

constexpr int TEXT_FRAMES = 5; // frames from this one on are sized to the entries' box

// A way from (ox, oy) to (ex, ey), d long at the angle th (its sine and cosine); X and Y give
// the point u along it and v to its left.
struct Way {
    double d, th, sn, cs, ox, oy, ex, ey;
    double X(double u, double v) const
    {
        return ox + (u * cs - v * sn);
    }
    double Y(double u, double v) const
    {
        return oy + (u * sn + v * cs);
    }
};

// What the frames are sized to: r the radius of the circle that frames 0 to 4 hold; w the
// widest entry as drawn and h the text height, both at the group scale; a second entry or not;
// and the centre (x, y) of the balloon drawn, the first point for the first of a stack.
struct Sizes {
    double r, w, h;
    bool   second;
    double x, y;
};

// The way from (ox, oy) to (ex, ey).
Way WayTo(double ox, double oy, double ex, double ey);

// A leader along its way, from `from` to the way's end; none where not drawn; tip: frame 0's
// leader from its tip, whose first ends keep their own rule.
struct Leader {
    Way    w;
    double from;
    bool   drawn, tip;
};

// Writes the circle of radius r around (x, y), its axis at angle th.
void DrawRing(double x, double y, double r, double th);

// Writes the outline of frame wFRM (0: the circle of frame 1) around the centre of s,
// axis-aligned, a circle turned by th.
void DrawOutline(const Sizes &s, double th);

// The leader of frame wFRM (0: the circle) around the centre of s toward (x, y), from where the
// way from the centre leaves the frame (frame 6: the line's end on the point's side; frame 7: a
// side's middle of the grown box), not drawn where the point lies within the frame.
Leader FrameLeader(const Sizes &s, double x, double y);

// Writes frame wFRM (1 to FRAMES - 1) around the first point, axis-aligned; returns the leader
// toward the second point (FrameLeader).
Leader DrawFrame(const Way &w, const Sizes &s);

// Writes the line that divides frame wFRM between its left and right edges at its centre's
// height, where it has one.
void DrawDivider(const Sizes &s);

// How far apart the centres of two balloons of a stack stand, their outlines touching: across a
// row or down a column as wORIENT says (frames 6 and 7: their entries' boxes, h and h/2 apart).
double StackStep(const Sizes &s);

// How far to the right (and left) of the first point frame wFRM reaches at height y above it.
double FrameEdge(const Sizes &s, double y);
