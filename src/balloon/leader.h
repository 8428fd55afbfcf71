// The leader from the frame to the second point, and its end there.
#pragma once

#include "balloon/frames.h"

// Writes the leader where it is drawn, with its end: as -k says, or the arrow head and the dot as
// -y and -p say. An end but the dot is drawn only where the leader is at least as long as the
// head, but for frame 0's arrow head of -y and -k1. The frame's sizes s give the ring its line.
void DrawLeader(const Leader &l, const Sizes &s);
