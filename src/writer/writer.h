// The drawing command writer: one routine per line of the command file fpw, and the
// attribute-restore block that ends it. Nothing else writes to fpw.
#pragma once

#include <cstddef>

// What Kobarn1 found: a balloon drawn, or the instruction-data error that stopped it.
constexpr int BALLOON_DRAWN = 0;
constexpr int BALLOON_POINT_COUNT = 1;  // three or more point records
constexpr int BALLOON_POINT_NUMBER = 2; // a last point numbered 3 or more
constexpr int BALLOON_OPTION = 3;       // a value of an option refused
constexpr int BALLOON_NUMBERS = 4;      // a file of numbers that cannot be used
constexpr int BALLOON_NO_NEXT = 5;      // a label without a next one to number on from

// Copies a piece of a comment or "bz" line of the interchange file, n characters at s, as it is:
// the line end of the piece that ends the line included.
void CopyOut(const char *s, std::size_t n);

// Ends a copied line that the interchange file ended without a line end, so that every command
// after it stands on a line of its own.
void CopyEndOut();

// Writes the colour 0xRRGGBB as a direct colour command.
void S16RGBout(unsigned rgb);

// Writes a line through two points.
void SL2out(double x1, double y1, double x2, double y2);

// Writes a line through three points.
void SL3out(double x1, double y1, double x2, double y2, double x3, double y3);

// Writes an "sc" solid: centre, radius, flatness, tilt, start, span, and its last value.
void SCout(double x, double y, double r, double f, double t, double s, double e, double v);

// Writes the "sc" solid again as the level-2 trace has it, in six significant digits.
void SCtraceOut(double x, double y, double r, double f, double t, double s, double e, double v);

// Writes an "so" solid, the same values as "sc" with six decimals for the last.
void SOout(double x, double y, double r, double f, double t, double s, double e, double v);

// Selects a text style by number; the blank before the line end belongs to the command.
void Cnout(int cn);

// Sets the text setting for the label that follows.
void CC4out();

// Writes a text at (x, y); the quote opens the text, which runs to the line end unclosed.
void MojiOutS(double x, double y, const char *text);

// Writes the error line for the balloon's error code, for BALLOON_OPTION with the option's
// letter; nothing for a drawn balloon.
void ErrorOut(int code, char letter);

// Writes the two trailer lines of debug level 1: line count, last stage, length total.
void TrailerOut(unsigned jd_xmax, int step, double total);

// Writes the line that stands alone in the command file of an input over the line limit.
void OverflowOut(unsigned limit);

// Writes the attribute-restore block: text style, group, layer, line type, colour, "pn", each
// only where the interchange file carried a first value for it.
void IniZokusei();
