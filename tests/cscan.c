/* The C library's own "%lf %lf", the reference of the scanner's differential test. Built as C
   without the mingw replacement stdio, so that on Windows it is the system C runtime's sscanf. */
#define __USE_MINGW_ANSI_STDIO 0
#include <stdio.h>
#include <string.h>

/* Scans two fields of text into a and b; returns how many were assigned, and in end where the
   first one ended (the rest is taken by "%[", since not every runtime has "%n"). */
int CScanTwo(const char *text, double *a, double *b, int *end)
{
    char   rest[64] = "";
    double first;
    int    n = sscanf(text, "%lf%63[^\x01]", &first, rest);
    *end = n < 1 ? -1 : (int)(strlen(text) - strlen(rest));
    return sscanf(text, "%lf %lf", a, b);
}
