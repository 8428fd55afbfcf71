// The balloon drawing: one numbered balloon from the indicated points, written to fpw.
#pragma once

// Draws the balloon and returns 0; returns 1 for three or more point records and 2 for a last
// point numbered 3 or more, writing nothing then.
int Kobarn1();
