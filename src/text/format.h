// Formatted output done the same way on every platform: the conversions that the tool uses,
// %d %u %x %s %f and %g (with an optional "l"), flag 0, width and precision, numbers as the C
// library prints them in the "C" locale (infinity as "inf", NaN as "nan").
#pragma once

#include "text/textio.h"

#include <cstdarg>

// The compiler checks every call against the format, as it checks printf's (GNU conversions).
#ifdef __clang__
#define PRINTF_LIKE(fmt, args) __attribute__((format(printf, fmt, args)))
#else
#define PRINTF_LIKE(fmt, args) __attribute__((format(gnu_printf, fmt, args)))
#endif

// Formats into out (cap bytes, NUL-terminated, cut short if needed); returns the length.
size_t FormatV(char *out, size_t cap, const char *fmt, va_list ap) PRINTF_LIKE(3, 0);

// Appends a formatted text to a file of the text layer.
void TextPrintf(TextFile *t, const char *fmt, ...) PRINTF_LIKE(2, 3);

// Writes a formatted text to a console stream (standard output or standard error).
void ConPrintf(FILE *f, const char *fmt, ...) PRINTF_LIKE(2, 3);
