// One small formatter in place of the C library's printf, whose output differs between
// platforms for infinities, NaNs and the last digits of long fixed-point numbers.
#include "text/format.h"

#include "text/textio.h"

#include <algorithm>
#include <charconv>
#include <cstring>

namespace
{

// The output of one FormatV call, bounded by its capacity.
struct Out {
    char  *p;
    size_t n;
    size_t cap;
};

// Appends n characters of s, padded on the left with pad to width.
void Put(Out &o, const char *s, size_t n, size_t width, char pad)
{
    for (size_t i = n; i < width; i++)
        if (o.n + 1 < o.cap)
            o.p[o.n++] = pad;
    for (size_t i = 0; i < n; i++)
        if (o.n + 1 < o.cap)
            o.p[o.n++] = s[i];
}

} // namespace

size_t FormatV(char *out, size_t cap, const char *fmt, va_list ap)
{
    Out  o{out, 0, cap};
    char num[400]; // the longest fixed-point double with up to 60 decimals
    for (const char *f = fmt; *f != '\0'; f++) {
        if (*f != '%') {
            Put(o, f, 1, 0, ' ');
            continue;
        }
        const char *conv = f++;
        char        pad = ' ';
        if (*f == '0') {
            pad = '0';
            f++;
        }
        size_t width = 0;
        int    prec = 6;
        for (; *f >= '0' && *f <= '9'; f++)
            width = width * 10 + static_cast<size_t>(*f - '0');
        if (*f == '.') {
            prec = 0;
            for (f++; *f >= '0' && *f <= '9'; f++)
                prec = std::min(prec * 10 + (*f - '0'), 60);
        }
        if (*f == 'l')
            f++;
        std::to_chars_result r{num, std::errc{}};
        switch (*f) {
        case 'd':
            r = std::to_chars(num, num + sizeof num, va_arg(ap, int));
            break;
        case 'u':
            r = std::to_chars(num, num + sizeof num, va_arg(ap, unsigned));
            break;
        case 'x':
            r = std::to_chars(num, num + sizeof num, va_arg(ap, unsigned), 16);
            break;
        case 'f':
            r = std::to_chars(num, num + sizeof num, va_arg(ap, double), std::chars_format::fixed,
                              prec);
            break;
        case 'g': // the tool's "%lg" has the default six significant digits
            r = std::to_chars(num, num + sizeof num, va_arg(ap, double), std::chars_format::general,
                              prec);
            break;
        case 's': {
            const char *s = va_arg(ap, const char *);
            Put(o, s, std::strlen(s), 0, ' ');
            continue;
        }
        case '%':
            Put(o, f, 1, 0, ' ');
            continue;
        default: // a conversion the formatter does not know stands as it is, not dropped
            if (*f == '\0')
                f--;
            Put(o, conv, static_cast<size_t>(f + 1 - conv), 0, ' ');
            continue;
        }
        if (r.ec == std::errc{})
            Put(o, num, static_cast<size_t>(r.ptr - num), width, pad);
    }
    o.p[o.n] = '\0';
    return o.n;
}

// Formats one text and writes it to the file t, or where t is nullptr to the console stream f.
static void PrintV(TextFile *t, FILE *f, const char *fmt, va_list ap) PRINTF_LIKE(3, 0);
static void PrintV(TextFile *t, FILE *f, const char *fmt, va_list ap)
{
    char   line[4096];
    size_t n = FormatV(line, sizeof line, fmt, ap);
    if (t != nullptr)
        TextWrite(t, line, n);
    else
        std::fwrite(line, 1, n, f);
}

void TextPrintf(TextFile *t, const char *fmt, ...)
{
    va_list ap;
    va_start(ap, fmt);
    PrintV(t, nullptr, fmt, ap);
    va_end(ap);
}

void ConPrintf(FILE *f, const char *fmt, ...)
{
    va_list ap;
    va_start(ap, fmt);
    PrintV(nullptr, f, fmt, ap);
    va_end(ap);
}
