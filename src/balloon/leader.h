// The leader from the frame to the second point, and its end there.
#pragma once

#include "balloon/frames.h"

// The highest point that the leaders run to: with -g the highest number read, where that is
// above 2; otherwise 2, so that two points draw as without -g.
int LastPoint();

// Writes the leaders of the balloon, the first one (toward the second point, frame 0's from its
// tip) given: with -g1 one more toward each point after the second, with -g2 a leader bent
// through the points after the second (the first one's segment left out where it is not drawn),
// its end at the last point; -g0, or two points, the first alone. Each end as -k, -y and -p say.
void DrawLeaders(const Leader &first, const Sizes &s);
