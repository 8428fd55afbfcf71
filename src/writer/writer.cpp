// The command lines that draw the balloon, and the block that gives the host back the first
// value of each attribute that the interchange file carried.
#include "writer/writer.h"

#include "state/state.h"
#include "text/format.h"
#include "writer/lines.h"

// Writes one formatted command line (or several) to fpw.
static void Out(const char *fmt, ...) PRINTF_LIKE(1, 2);
static void Out(const char *fmt, ...)
{
    va_list ap;
    va_start(ap, fmt);
    PrintV(&fpw, nullptr, fmt, ap);
    va_end(ap);
}

void CopyOut(const char *s, std::size_t n)
{
    TextWriteLine(&fpw, s, n > 0 && s[n - 1] == '\n' ? n - 1 : n);
}

void S16RGBout(unsigned rgb)
{
    Out("lc10 #%06x\n", rgb);
}

void SL2out(double x1, double y1, double x2, double y2)
{
    Out("sl %.12f %.12f %.12f %.12f\n", x1, y1, x2, y2);
}

void SL3out(double x1, double y1, double x2, double y2, double x3, double y3)
{
    Out("sl %.12f %.12f %.12f %.12f %.12f %.12f\n", x1, y1, x2, y2, x3, y3);
}

void SCout(double x, double y, double r, double f, double t, double s, double e, double v)
{
    Out("sc %.10f %.10f %.10f %.10f %.10f %.10f %.10f %.2f\n", x, y, r, f, t, s, e, v);
}

void SCtraceOut(double x, double y, double r, double f, double t, double s, double e, double v)
{
    Out("sc %lg %lg %lg %lg %lg %lg %lg %lg\n", x, y, r, f, t, s, e, v);
}

void SOout(double x, double y, double r, double f, double t, double s, double e, double v)
{
    Out("so %.10f %.10f %.10f %.10f %.10f %.10f %.10f %.6f\n", x, y, r, f, t, s, e, v);
}

void Cnout(int cn)
{
    Out("cn%d \n", cn);
}

void CC4out()
{
    Out("cc4 \n");
}

void MojiOutS(double x, double y, const char *text)
{
    Out("ch %.6f %.6f 3 0 \"%s\n", x, y, text);
}

void ErrorOut(int code)
{
    if (code == 2)
        Out(LINE_NUMBER);
    else if (code == 1)
        Out(LINE_COUNT);
}

void TrailerOut(unsigned jd_xmax, int step, double total)
{
    Out(LINE_TRAILER);
    Out("#    jd_xmax= %u stepcnt= %d KYlengTotal= %.8f\n", jd_xmax, step, total);
}

void OverflowOut(unsigned limit)
{
    Out(LINE_OVERFLOW, limit);
}

void IniZokusei()
{
    if (MOJIWi > 0) // false for the initial -NOT_TAKEN and for a NaN
        Out("cn0 %.2f %.2f %.2f %d\n", MOJIWi, MOJIHi, MOJIDi, MOJICi);
    if (MOJISi != 0 && !(MOJISi > 10))
        Out("cn%d\n", MOJISi);
    Out("lg%x\nly%x\nlt%d\nlc%d\n", static_cast<unsigned>(GROUPi), static_cast<unsigned>(LAYERi),
        TYPEi, COLORi); // hexadecimal: the int's bits
    if (!(TENSi > 9))
        Out("pn%d\n", TENSi);
}
