// The plain frames: a circle, a hexagon, a triangle and a square, each around the circle of
// radius r about the first point, so that each holds what that circle holds.
#include "balloon/frames.h"

#include "writer/writer.h"

#include <algorithm>
#include <cmath>

constexpr double RING = 0.95; // the circle's last value: 0.95 of its radius

// The corners of each frame, counterclockwise, in units of r; their sides touch the circle of
// radius r at their middles. The circles (frames 0 and 1) have none.
static const struct {
    int    corners;
    double x[6], y[6];
} SHAPES[FRAMES] = {
    {0, {},                                            {}            },
    {0, {},                                            {}            },
    {6, // hexagon, flat at the top: corners at 2 / sqrt(3) and 1 / sqrt(3) to the sides
     {1.1547005383792517, 0.5773502691896258, -0.5773502691896258, -1.1547005383792517,
      -0.5773502691896258, 0.5773502691896258},
     {0, 1, 1, 0, -1, -1}                                            },
    {3, {0, -1.7320508075688772, 1.7320508075688772},  {2, -1, -1}   }, // triangle, apex up
    {4, {1, -1, -1, 1},                                {1, 1, -1, -1}}, // square
};

// How far from the first point the way in direction (ux, uy) leaves frame wFRM of radius r:
// r for a circle; for a polygon, where it crosses the side it meets first.
static double Reach(double r, double ux, double uy)
{
    const auto &s = SHAPES[wFRM];
    double      most = 0; // of the sides' directions along the way: the nearest side
    for (int k = 0; k < s.corners; k++) {
        int next = (k + 1) % s.corners; // the middle of a side is its direction, of length 1
        most = std::max(most, (s.x[k] + s.x[next]) / 2 * ux + (s.y[k] + s.y[next]) / 2 * uy);
    }
    return s.corners == 0 ? r : r / most;
}

void DrawRing(const Frame &f, double r)
{
    SOout(PX[1], PY[1], r, 1.0, f.th, 0.0, 2 * PAI, RING * r);
}

double DrawFrame(const Frame &f, double r)
{
    const auto &s = SHAPES[wFRM];
    if (s.corners == 0)
        DrawRing(f, r);
    for (int k = 0; k < s.corners; k++) {
        int next = (k + 1) % s.corners;
        SL2out(PX[1] + s.x[k] * r, PY[1] + s.y[k] * r, PX[1] + s.x[next] * r,
               PY[1] + s.y[next] * r);
    }
    return Reach(r, f.cs, f.sn);
}

void DrawDivider(double r)
{
    SL2out(PX[1] - Reach(r, -1, 0), PY[1], PX[1] + Reach(r, 1, 0), PY[1]);
}
