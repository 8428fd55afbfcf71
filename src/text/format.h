// Formatted output done the same way on every platform: the conversions that the tool uses,
// %d %u %x %s %f and %g (with an optional "l"), flag 0, width and precision, numbers as the C
// library prints them in the "C" locale (infinity as "inf", NaN as "nan").
#pragma once

#include "text/textio.h"

#include <cstdarg>

// Formats into out (cap bytes, NUL-terminated, cut short if needed); returns the length.
int FormatV(char *out, int cap, const char *fmt, va_list ap);

// Appends a formatted text to a file of the text layer.
void TextPrintf(TextFile *t, const char *fmt, ...);

// Writes a formatted text to a console stream (standard output or standard error).
void ConPrintf(FILE *f, const char *fmt, ...);
