// Field conversions done here rather than by the C library, so that every platform reads
// the same values and no out-of-range number reaches undefined behaviour.
#include "text/scan.h"

#include <charconv>
#include <cstdint>
#include <cstring>
#include <limits>

Scan ScanFrom(const char *s, size_t n, size_t col)
{
    if (col > n)
        return Scan{s + n, s + n, true}; // nothing to scan: every field fails
    return Scan{s + col - 1, s + n, true};
}

static bool IsSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

static int Digit(char c, int base)
{
    int d = 99;
    if (c >= '0' && c <= '9')
        d = c - '0';
    else if (c >= 'a' && c <= 'f')
        d = c - 'a' + 10;
    else if (c >= 'A' && c <= 'F')
        d = c - 'A' + 10;
    return d < base ? d : -1;
}

// Skips blanks and reads an optional sign; false when the scan has already failed.
static bool Lead(Scan &sc, bool &neg)
{
    if (!sc.ok)
        return false;
    while (sc.p < sc.end && IsSpace(*sc.p))
        sc.p++;
    neg = false;
    if (sc.p < sc.end && (*sc.p == '+' || *sc.p == '-')) {
        neg = *sc.p == '-';
        sc.p++;
    }
    return true;
}

// Reads the digits of base into a magnitude that stops growing past 2^32.
static bool Digits(Scan &sc, int base, uint64_t &mag)
{
    const char *start = sc.p;
    mag = 0;
    for (int d; sc.p < sc.end && (d = Digit(*sc.p, base)) >= 0; sc.p++)
        if (mag <= UINT32_MAX)
            mag = mag * static_cast<unsigned>(base) + static_cast<unsigned>(d);
    if (sc.p == start)
        sc.ok = false;
    return sc.ok;
}

bool ScanInt(Scan &sc, int &v)
{
    bool     neg;
    uint64_t mag;
    if (!Lead(sc, neg) || !Digits(sc, 10, mag))
        return false;
    if (neg)
        v = mag > uint64_t{INT32_MAX} + 1 ? INT32_MIN
                                          : static_cast<int>(-static_cast<int64_t>(mag));
    else
        v = mag > INT32_MAX ? INT32_MAX : static_cast<int>(mag);
    return true;
}

// "%x" reads an unsigned 32-bit value, a minus sign negating it modulo 2^32 and a magnitude
// beyond 32 bits giving the largest one; it is stored as the int of the same bits.
bool ScanHex(Scan &sc, int &v)
{
    bool neg;
    if (!Lead(sc, neg))
        return false;
    uint64_t mag = 0;
    if (sc.end - sc.p >= 2 && sc.p[0] == '0' && (sc.p[1] | 0x20) == 'x') {
        sc.p += 2; // the prefix is used even without a digit after it: then the value is 0
        if (sc.p < sc.end && Digit(*sc.p, 16) >= 0)
            Digits(sc, 16, mag);
    } else if (!Digits(sc, 16, mag)) {
        return false;
    }
    uint32_t u = mag > UINT32_MAX ? UINT32_MAX : static_cast<uint32_t>(mag);
    if (neg && mag <= UINT32_MAX)
        u = 0u - u;
    v = static_cast<int>(u);
    return true;
}

// For a number that from_chars found out of range: true when it is too large, false when it
// is too small. Decided by the position of its first nonzero digit and by its exponent.
static bool TooLarge(const char *p, const char *end, bool hex)
{
    int64_t mag = 0; // digits before the point from the first nonzero one, or minus leading zeros
    bool    point = false, nonzero = false;
    for (; p < end && (*p == '.' || Digit(*p, hex ? 16 : 10) >= 0); p++) {
        if (*p == '.')
            point = true;
        else if (!nonzero && *p != '0') {
            nonzero = true;
            mag += point ? 0 : 1;
        } else if (!nonzero && point)
            mag--;
        else if (nonzero && !point)
            mag++;
    }
    Scan ex{p + 1, end, true};
    int  e = 0;
    if (p < end)
        ScanInt(ex, e);
    return (hex ? mag * 4 : mag) + e > 0;
}

// Appends the run of decimal digits at p, ending at end at the latest, to mant; returns its
// length.
static size_t DecimalRun(const char *p, const char *end, uint64_t &mant)
{
    const char *start = p;
    for (; p < end && static_cast<unsigned>(*p - '0') <= 9; p++)
        mant = mant * 10 + static_cast<unsigned>(*p - '0');
    return static_cast<size_t>(p - start);
}

// The common plain decimal ("-12.375") without the general conversion, which would double the
// instructions of a run on bench/run's line segments: a mantissa of at most 15 digits divided by
// an exact power of ten is one correctly rounded division, as the general conversion rounds.
// Reads blanks, sign and number; false, reading nothing, when the text needs the general one.
static bool PlainDecimal(Scan &sc, double &v)
{
    Scan t = sc; // taken over only when the number is plain
    bool neg;
    if (!Lead(t, neg))
        return false;
    const char *p = t.p, *end = t.end;
    uint64_t    mant = 0;
    size_t      whole = DecimalRun(p, end, mant), decimals = 0;
    p += whole;
    if (p < end && *p == '.') {
        decimals = DecimalRun(p + 1, end, mant);
        p += 1 + decimals;
    }
    if (whole + decimals == 0 || whole + decimals > 15)
        return false;
    if (p < end && (*p == 'e' || *p == 'E' || *p == 'x' || *p == 'X'))
        return false;
    static const double POW10[] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                   1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
    double              x = static_cast<double>(mant) / POW10[decimals];
    v = neg ? -x : x;
    sc.p = p;
    return true;
}

// True when the text at p starts with word, letters in either case.
static bool Word(const char *p, const char *end, const char *word)
{
    for (; *word != '\0'; p++, word++)
        if (p == end || (*p | 0x20) != *word)
            return false;
    return true;
}

// Skips the digits of base (and one point, where point) at p; returns how many digits it took.
static size_t Mantissa(const char *&p, const char *end, int base)
{
    size_t n = 0;
    bool   point = false;
    for (; p < end && (Digit(*p, base) >= 0 || (*p == '.' && !point)); p++) {
        if (*p == '.')
            point = true;
        else
            n++;
    }
    return n;
}

// "%lf" as the C library reads it: after blanks and a sign, "inf", "infinity" or "nan" (no
// "nan(...)"), or a decimal or "0x" hexadecimal mantissa with at least one digit and an optional
// exponent. An exponent mark without digits ("1e", "2e+") is consumed and ignored; "0x."
// without digits reads as 0. Too large a value is infinity, too small one zero.
bool ScanDouble(Scan &sc, double &v)
{
    if (PlainDecimal(sc, v))
        return true;
    bool neg;
    if (!Lead(sc, neg))
        return false;
    const char *p = sc.p, *end = sc.end;
    double      x = 0.0;
    if (Word(p, end, "inf")) {
        p += 3;
        if (p < end && (*p | 0x20) == 'i' && !Word(p, end, "inity")) {
            sc.ok = false; // begun, not finished: nothing converts
            return false;
        }
        p += p < end && (*p | 0x20) == 'i' ? 5 : 0;
        x = std::numeric_limits<double>::infinity();
    } else if (Word(p, end, "nan")) {
        p += 3;
        x = std::numeric_limits<double>::quiet_NaN();
    } else {
        bool        hex = Word(p, end, "0x");
        const char *first = hex ? p + 2 : p, *last = first;
        size_t      digits = Mantissa(last, end, hex ? 16 : 10);
        if (digits == 0 && (!hex || last == first)) { // no digits, or "0x" followed by no point
            sc.ok = false;
            return false;
        }
        p = last;
        if (digits > 0) { // otherwise "0x.", which is zero
            char mark = hex ? 'p' : 'e';
            if (p < end && (*p | 0x20) == mark) {
                const char *e = p + 1;
                if (e < end && (*e == '+' || *e == '-'))
                    e++;
                const char *exponent = e;
                while (e < end && Digit(*e, 10) >= 0)
                    e++;
                if (e > exponent)
                    last = e; // a whole exponent is part of the value
                p = e;
            }
            auto r = std::from_chars(first, last, x,
                                     hex ? std::chars_format::hex : std::chars_format::general);
            if (r.ec == std::errc::result_out_of_range) // from_chars leaves x alone here
                x = TooLarge(first, last, hex) ? std::numeric_limits<double>::infinity() : 0.0;
        }
    }
    sc.p = p;
    v = neg ? -x : x;
    return true;
}

int ReadInt(const char *s)
{
    Scan sc{s, s + std::strlen(s), true};
    int  v = 0;
    ScanInt(sc, v);
    return v;
}

double ReadDouble(const char *s)
{
    Scan   sc{s, s + std::strlen(s), true};
    double v = 0.0;
    ScanDouble(sc, v);
    return v;
}
