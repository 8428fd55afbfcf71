/* The C library's own "%lf", "%d" and "%x", the reference of the scanner's differential test.
   Built as C without the mingw replacement stdio, so that on Windows it is the system C
   runtime's sscanf. */
#define __USE_MINGW_ANSI_STDIO 0
#include <stdio.h>
#include <string.h>

/* Scans one field of text by conv ('f', 'd' or 'x') into d or i; returns how many fields were
   assigned, and in end where the field ended (the rest is taken by "%[", since not every
   runtime has "%n"). */
int CScan(const char *text, char conv, double *d, int *i, int *end)
{
    char rest[64] = "";
    int  n = conv == 'f'   ? sscanf(text, "%lf%63[^\x01]", d, rest)
             : conv == 'd' ? sscanf(text, "%d%63[^\x01]", i, rest)
                           : sscanf(text, "%x%63[^\x01]", (unsigned *)i, rest);
    *end = n < 1 ? -1 : (int)(strlen(text) - strlen(rest));
    return n < 1 ? n : 1;
}
