// The drawing command writer: one routine per command line of the command file fpw,
// and the attribute-restore block that ends it.
#pragma once

// Writes the colour 0xRRGGBB as a direct colour command.
void S16RGBout(int rgb);

// Writes a line through two points.
void SL2out(double x1, double y1, double x2, double y2);

// Writes a line through three points.
void SL3out(double x1, double y1, double x2, double y2, double x3, double y3);

// Writes an "sc" solid: centre, radius, flatness, tilt, start, span, and its last value.
void SCout(double x, double y, double r, double f, double t, double s, double e, double v);

// Writes an "so" solid, the same values as "sc" with six decimals for the last.
void SOout(double x, double y, double r, double f, double t, double s, double e, double v);

// Selects a text style by number; the blank before the line end belongs to the command.
void Cnout(int cn);

// Writes a text at (x, y); the quote opens the text, which runs to the line end unclosed.
void MojiOutS(double x, double y, const char *text);

// Writes the attribute-restore block: text style, group, layer, line type, colour, "pn", each
// only where the interchange file carried a first value for it.
void IniZokusei();
