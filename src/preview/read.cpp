// The command file read into the elements of a picture, each command as the host draws it.
#include "preview/preview.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <iostream>

namespace
{

// Reads up to max values after the command word into v, stopping at the first that does not
// convert or is not finite; returns how many it read.
size_t Numbers(const std::string &line, size_t from, std::vector<double> &v, size_t max)
{
    const char *p = line.data() + from, *end = line.data() + line.size();
    v.clear();
    while (v.size() < max) {
        while (p < end && *p == ' ')
            p++;
        double x = 0;
        auto   r = std::from_chars(p, end, x);
        if (r.ec != std::errc{} || !std::isfinite(x))
            break;
        v.push_back(x);
        p = r.ptr;
    }
    return v.size();
}

// Two-byte Shift_JIS characters of the tool's own texts that no range below covers.
const struct {
    unsigned sjis, unicode;
} kKanji[] = {
    {0x8E77, 0x6307},
    {0x8EA6, 0x793A},
    {0x94D4, 0x756A},
    {0x8D86, 0x53F7},
    {0x91E5, 0x5927},
    {0x9776, 0x8981},
    {0x9166, 0x7D20},
    {0x9094, 0x6570},
    {0x88C8, 0x4EE5},
    {0x8FE3, 0x4E0A},
    {0x815B, 0x30FC},
    {0x8140, 0x3000},
    {0x8ABF, 0x6F22}, // the kanji of the README's example label
    {0x8E9A, 0x5B57},
};

unsigned Unicode(unsigned c)
{
    unsigned lead = c >> 8, trail = c & 0xFF;
    if (lead == 0x82 && trail >= 0x4F && trail <= 0x58)
        return 0xFF10 + trail - 0x4F; // full-width digits
    if (lead == 0x82 && trail >= 0x60 && trail <= 0x79)
        return 0xFF21 + trail - 0x60; // full-width capitals
    if (lead == 0x82 && trail >= 0x81 && trail <= 0x9A)
        return 0xFF41 + trail - 0x81; // full-width small letters
    if (lead == 0x82 && trail >= 0x9F && trail <= 0xF1)
        return 0x3041 + trail - 0x9F; // hiragana
    if (lead == 0x83 && trail >= 0x40 && trail <= 0x96)
        return 0x30A1 + trail - 0x40 - (trail > 0x7F ? 1 : 0); // katakana
    for (const auto &k : kKanji)
        if (k.sjis == c)
            return k.unicode;
    return 0xFFFD;
}

void PutUtf8(std::string &out, unsigned u)
{
    if (u < 0x80) {
        out += static_cast<char>(u);
    } else if (u < 0x800) {
        out += static_cast<char>(0xC0 | u >> 6);
        out += static_cast<char>(0x80 | (u & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | u >> 12);
        out += static_cast<char>(0x80 | (u >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (u & 0x3F));
    }
}

} // namespace

std::string Decode(const std::string &s)
{
    std::string out;
    for (size_t i = 0; i < s.size(); i++) {
        auto c = static_cast<unsigned char>(s[i]);
        if (c < 0x80)
            PutUtf8(out, c);
        else if (c >= 0xA1 && c <= 0xDF)
            PutUtf8(out, 0xFF61 + c - 0xA1); // half-width katakana
        else if (i + 1 < s.size())
            PutUtf8(out, Unicode(unsigned{c} << 8 | static_cast<unsigned char>(s[++i])));
        else
            PutUtf8(out, 0xFFFD);
    }
    return out;
}

namespace
{

// Points of an elliptic arc: radius r, flatness f, axis tilted by t, from angle s over e.
std::vector<Point> Arc(const std::vector<double> &v, double r, bool reverse)
{
    double             cx = v[0], cy = v[1], f = v[3], t = v[4], s = v[5], e = v[6];
    int                n = std::max(8, static_cast<int>(std::ceil(std::fabs(e) / (2 * kPi) * 96)));
    std::vector<Point> pts;
    for (int i = 0; i <= n; i++) {
        double a = s + e * (reverse ? n - i : i) / n;
        double u = r * std::cos(a), w = f * r * std::sin(a);
        pts.push_back(
            {cx + u * std::cos(t) - w * std::sin(t), cy + u * std::sin(t) + w * std::cos(t)});
    }
    return pts;
}

} // namespace

bool Read(const std::string &path, Picture &pic)
{
    std::ifstream   in(path, std::ios::binary);
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec)) {
        std::cerr << "balloon-preview: cannot read " << path << "\n";
        return false;
    }
    if (!in) {
        std::cerr << "balloon-preview: cannot open " << path << "\n";
        return false;
    }
    std::string         colour = "#000000", line;
    double              textSize = 0;
    std::vector<double> v;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        std::string word = line.substr(0, 2);
        if (line.rfind("lc10 #", 0) == 0 && line.size() >= 12) {
            colour = line.substr(5, 7);
        } else if (word == "sl" && Numbers(line, 2, v, 6) >= 4) {
            v.resize(v.size() < 6 ? 4 : 6); // two points or three
            Element e{Element::Stroke, {}, 0, "", 0, colour};
            for (size_t i = 0; i + 1 < v.size(); i += 2)
                e.pts.push_back({v[i], v[i + 1]});
            pic.elements.push_back(e);
        } else if ((word == "sc" || word == "so") && Numbers(line, 2, v, 8) == 8 && v[2] > 0) {
            bool full = std::fabs(v[6]) >= 2 * kPi - 1e-9;
            if (word == "so") { // a ring from the last value out to the radius
                Element e{Element::Ring, Arc(v, v[2], false), 0, "", 0, colour};
                e.outer = e.pts.size();
                std::vector<Point> inner = Arc(v, std::clamp(v[7], 0.0, v[2]), !full);
                e.pts.insert(e.pts.end(), inner.begin(), inner.end());
                pic.elements.push_back(e);
                textSize = v[2];
            } else { // a filled sector from the centre, or a disc; a mask when v[7] < 0
                Element e{v[7] < 0 ? Element::Mask : Element::Fill,
                          Arc(v, v[2], false),
                          0,
                          "",
                          0,
                          colour};
                if (!full)
                    e.pts.insert(e.pts.begin(), Point{v[0], v[1]});
                pic.elements.push_back(e);
            }
        } else if (word == "ch" && Numbers(line, 2, v, 2) == 2) {
            size_t quote = line.find('"');
            if (quote != std::string::npos)
                pic.elements.push_back({Element::Label,
                                        {{v[0], v[1]}},
                                        0,
                                        Decode(line.substr(quote + 1)),
                                        textSize,
                                        colour});
        } else if (word == "h#" || word == "he") {
            pic.captions.push_back(Decode(line.substr(2)));
        }
    }
    if (in.bad()) {
        std::cerr << "balloon-preview: cannot read " << path << "\n";
        return false;
    }
    return true;
}
