// The frames of the balloon around the first indicated point, and what they share with it.
#pragma once

#include "state/state.h"

constexpr double SQRT2 = 1.4142135623730951;

// The balloon's frame of reference: origin the first point, u axis toward the second, at
// distance d.
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

// Writes the circle of radius r around the first point.
void DrawRing(const Frame &f, double r);

// Writes frame wFRM (1 to FRAMES - 1) around the first point, axis-aligned, the circle of radius
// r inscribed; returns how far from the first point the way to the second leaves it.
double DrawFrame(const Frame &f, double r);

// Writes the line that divides frame wFRM of radius r between its left and right edges at the
// first point's height.
void DrawDivider(double r);
