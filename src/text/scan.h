// The field scanner: decimal, hexadecimal and floating-point fields read as the standard
// formatted input reads "%d", "%x" and "%lf", shared by the reader, the option decoder and the
// preview.
#pragma once

#include <cstddef>

// A scan over part of a line. Once a field fails to convert, every later field fails too.
struct Scan {
    const char *p;   // next character
    const char *end; // end of the line
    bool        ok;  // no field has failed yet
};

// Starts a scan at character col (counted from 1) of the n characters at s.
Scan ScanFrom(const char *s, size_t n, size_t col);

// Each reads one field into v and returns true; on failure v keeps its value.
// Integers outside the 32-bit range saturate at the nearest limit.
bool ScanInt(Scan &sc, int &v);
bool ScanHex(Scan &sc, int &v);
bool ScanDouble(Scan &sc, double &v);

// Reads n fields into t[first] to t[first + n - 1] in turn, as ScanDouble reads each: from the
// first that does not convert on, each keeps its value.
template <typename Table> void ScanDoubles(Scan sc, Table &t, size_t first, size_t n)
{
    for (size_t i = first; i < first + n; i++)
        ScanDouble(sc, t[i]);
}

// The whole of a zero-terminated text as atoi and atof read it: no number gives 0.
int    ReadInt(const char *s);
double ReadDouble(const char *s);
