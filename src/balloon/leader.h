// The leader from the frame to the second point, and its end there.
#pragma once

#include "balloon/frames.h"

// Writes the leader where it is drawn, with its end: as -k says, or the arrow head and the dot as
// -y and -p say. Within a frame (1 to FRAMES - 1) an end but the dot is drawn only where the
// leader is at least as long as the head.
void DrawLeader(const Leader &l);
