// The host's file that a command file came from, read for what the command file does not carry:
// the text height of each style at the scale of the current group. It is read as the tool reads
// it, through the tool's text layer and field scanner: the same pieces of a line, the same
// fields, the same records ("hs", "hch", "lg", "cn0", at the columns of src/reader).
#include "preview/preview.h"

#include "text/scan.h"
#include "text/textio.h"

#include <array>
#include <iostream>

namespace
{

constexpr size_t kStyles = 16; // the tool's tables: "cn0" in slot 0, "hch" in 1 to 10
constexpr size_t kGroups = 16; // groups 0 to 15, each with its scale

TextFile host; // its buffer is too large for the stack

std::array<double, kStyles> heights; // "hch", "cn0"
std::array<double, kGroups> scales;  // "hs"
int                         group;   // "lg", hexadecimal

// Character k of the piece, counted from 1; -1 beyond its end, which matches no test.
int At(const char *s, size_t n, size_t k)
{
    return k <= n ? static_cast<unsigned char>(s[k - 1]) : -1;
}

// Takes what the first piece of a line says of text heights, scales and the group.
void Record(const char *s, size_t n)
{
    int c1 = At(s, n, 1), c2 = At(s, n, 2), c3 = At(s, n, 3);
    if (c1 == 'h' && c2 == 's') {
        ScanDoubles(ScanFrom(s, n, 4), scales, 0, kGroups);
    } else if (c1 == 'h' && c2 == 'c' && c3 == 'h') {
        ScanDoubles(ScanFrom(s, n, 5), heights, 1, 10);
    } else if (c1 == 'l' && c2 == 'g') {
        Scan sc = ScanFrom(s, n, 3);
        ScanHex(sc, group);
    } else if (c1 == 'c' && c2 == 'n' && c3 == '0') {
        Scan   sc = ScanFrom(s, n, 4);
        double width = 0; // before the height: a width that fails fails the height too
        ScanDouble(sc, width);
        ScanDouble(sc, heights[0]);
    }
}

} // namespace

bool ReadHost(const std::string &path, std::vector<double> &sizes)
{
    scales.fill(1.0); // a group that "hs" does not give keeps scale 1
    if (!TextOpen(&host, path.c_str(), false)) {
        std::cerr << "balloon-preview: cannot open " << path << "\n";
        return false;
    }
    char        spare[PIECE];
    const char *s;
    bool        within = false; // the last piece ended short of its line end
    for (size_t n; (n = TextPiece(&host, &s, spare)) > 0; within = s[n - 1] != '\n')
        if (!within) // a later piece of a long line is never a record
            Record(s, n);
    bool read = !host.err;
    TextClose(&host);
    if (!read) {
        std::cerr << "balloon-preview: cannot read " << path << "\n";
        return false;
    }
    bool   known = group >= 0 && static_cast<size_t>(group) < kGroups;
    double scale = scales[known ? static_cast<size_t>(group) : 0]; // another group: group 0's
    sizes.clear();
    for (double h : heights)
        sizes.push_back(h * scale);
    return true;
}
