// The command lines that draw the balloon, and the block that gives the host back the first
// value of each attribute that the interchange file carried.
#include "writer/writer.h"

#include "state/state.h"
#include "text/format.h"
#include "writer/lines.h"

void CopyOut(const char *s, std::size_t n)
{
    if (n > 0 && s[n - 1] == '\n') // a line end stands only at the end of a piece
        TextWriteLine(&fpw, s, n - 1);
    else
        TextWrite(&fpw, s, n);
}

void CopyEndOut()
{
    TextWriteLine(&fpw, "", 0);
}

void S16RGBout(unsigned rgb)
{
    TextPrintf(&fpw, "lc10 #%06x\n", rgb);
}

void SL2out(double x1, double y1, double x2, double y2)
{
    TextPrintf(&fpw, "sl %.12f %.12f %.12f %.12f\n", x1, y1, x2, y2);
}

void SL3out(double x1, double y1, double x2, double y2, double x3, double y3)
{
    TextPrintf(&fpw, "sl %.12f %.12f %.12f %.12f %.12f %.12f\n", x1, y1, x2, y2, x3, y3);
}

void SCout(double x, double y, double r, double f, double t, double s, double e, double v)
{
    TextPrintf(&fpw, "sc %.10f %.10f %.10f %.10f %.10f %.10f %.10f %.2f\n", x, y, r, f, t, s, e, v);
}

void SCtraceOut(double x, double y, double r, double f, double t, double s, double e, double v)
{
    TextPrintf(&fpw, "sc %lg %lg %lg %lg %lg %lg %lg %lg\n", x, y, r, f, t, s, e, v);
}

void SOout(double x, double y, double r, double f, double t, double s, double e, double v)
{
    TextPrintf(&fpw, "so %.10f %.10f %.10f %.10f %.10f %.10f %.10f %.6f\n", x, y, r, f, t, s, e, v);
}

void Cnout(int cn)
{
    TextPrintf(&fpw, "cn%d \n", cn);
}

void CC4out()
{
    TextPrintf(&fpw, "cc4 \n");
}

void MojiOutS(double x, double y, const char *text)
{
    TextPrintf(&fpw, "ch %.6f %.6f 3 0 \"%s\n", x, y, text);
}

void ErrorOut(int code, char letter)
{
    const char option[] = {letter, '\0'};
    if (code == BALLOON_POINT_NUMBER)
        TextPrintf(&fpw, LINE_NUMBER);
    else if (code == BALLOON_POINT_COUNT)
        TextPrintf(&fpw, LINE_COUNT);
    else if (code == BALLOON_OPTION)
        TextPrintf(&fpw, LINE_OPTION, option);
    else if (code == BALLOON_NUMBERS)
        TextPrintf(&fpw, LINE_NUMBERS);
    else if (code == BALLOON_NO_NEXT)
        TextPrintf(&fpw, LINE_NO_NEXT);
}

void TrailerOut(unsigned jd_xmax, int step, double total)
{
    TextPrintf(&fpw, LINE_TRAILER);
    TextPrintf(&fpw, "#    jd_xmax= %u stepcnt= %d KYlengTotal= %.8f\n", jd_xmax, step, total);
}

void OverflowOut(unsigned limit)
{
    TextPrintf(&fpw, LINE_OVERFLOW, limit);
}

void IniZokusei()
{
    if (MOJIWi > 0) // false for the initial -NOT_TAKEN and for a NaN
        TextPrintf(&fpw, "cn0 %.2f %.2f %.2f %d\n", MOJIWi, MOJIHi, MOJIDi, MOJICi);
    if (MOJISi != 0 && !(MOJISi > 10))
        TextPrintf(&fpw, "cn%d\n", MOJISi);
    TextPrintf(&fpw, "lg%x\nly%x\nlt%d\nlc%d\n", static_cast<unsigned>(GROUPi),
               static_cast<unsigned>(LAYERi), TYPEi, COLORi); // hexadecimal: the int's bits
    if (!(TENSi > 9))
        TextPrintf(&fpw, "pn%d\n", TENSi);
}
