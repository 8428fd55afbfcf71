// The balloon drawing: one numbered balloon from the indicated points, written to fpw.
#pragma once

// Draws the balloon and returns BALLOON_DRAWN; returns one of the errors of writer.h, writing
// nothing, when the points do not allow a balloon.
int Kobarn1();
