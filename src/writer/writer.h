// The drawing command writer: one routine per command line of the command file fpw,
// and the attribute-restore block that ends it.
#pragma once

void S16RGBout(int rgb);
void SL2out(double x1, double y1, double x2, double y2);
void SL3out(double x1, double y1, double x2, double y2, double x3, double y3);
void SCout(double x, double y, double r, double f, double t, double s, double e, double v);
void SOout(double x, double y, double r, double f, double t, double s, double e, double v);
void Cnout(int cn);
void MojiOutS(double x, double y, const char *text);
void IniZokusei();
