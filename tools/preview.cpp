// balloon-preview: draws a command file of the balloon tool (Shift_JIS, CR LF) as an SVG picture,
// so that a person can see what the host would draw.
//
//   balloon-preview [COMMAND_FILE] [-o OUT.svg]
//
// Defaults: "QVC_TEMP.TXT" in the current directory, the picture on standard output. Each
// command is drawn as the host draws it: masks first (an "sc" solid with a negative last value
// blanks its sector in the background colour), then lines and solids in file order, then the
// texts on top of everything.
#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

namespace
{

const double kPi = 3.141592653589793;

struct Point {
    double x, y;
};

// One element of the picture, in drawing coordinates (y up).
struct Element {
    enum Kind { Mask, Stroke, Fill, Ring, Label } kind;
    std::vector<Point> pts;   // Mask, Stroke, Fill: the outline; Ring: outer, then inner loop
    size_t             outer; // Ring: points of the outer loop
    std::string        text;  // Label: UTF-8
    double             size;  // Label: text height
    std::string        colour;
};

struct Picture {
    std::vector<Element>     elements;
    std::vector<std::string> captions; // error lines, decoded
};

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

// Shift_JIS to UTF-8, as far as the tool writes it; other characters become U+FFFD.
std::string Decode(const std::string &s)
{
    std::string out;
    for (size_t i = 0; i < s.size(); i++) {
        unsigned char c = s[i];
        if (c < 0x80)
            PutUtf8(out, c);
        else if (c >= 0xA1 && c <= 0xDF)
            PutUtf8(out, 0xFF61 + c - 0xA1); // half-width katakana
        else if (i + 1 < s.size())
            PutUtf8(out, Unicode(c << 8 | static_cast<unsigned char>(s[++i])));
        else
            PutUtf8(out, 0xFFFD);
    }
    return out;
}

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

// Reads the command file into the picture; false, with a message, when it cannot be read.
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

std::string Num(double x)
{
    char        buf[64];
    auto        r = std::to_chars(buf, buf + sizeof buf, std::fabs(x) < 5e-4 ? 0.0 : x,
                                  std::chars_format::fixed, 3);
    std::string s(buf, r.ptr);
    while (s.back() == '0')
        s.pop_back();
    if (s.back() == '.')
        s.pop_back();
    return s;
}

std::string Escape(const std::string &s)
{
    std::string out;
    for (char c : s) {
        if (c == '<')
            out += "&lt;";
        else if (c == '>')
            out += "&gt;";
        else if (c == '&')
            out += "&amp;";
        else
            out += c;
    }
    return out;
}

// Fonts for the labels and captions: Japanese ones first, for the full-width characters.
const char kFonts[] = "'Noto Sans CJK JP', 'Noto Sans JP', 'IPAexGothic', 'IPAGothic', "
                      "'Yu Gothic', 'Meiryo', 'MS Gothic', 'Hiragino Sans', sans-serif";

// Width of a decoded text in units of its font size: full width from U+0800 on (three bytes).
double TextWidth(const std::string &utf8)
{
    double w = 0;
    for (unsigned char c : utf8) // counted at each character's first byte
        w += c >= 0xE0 ? 1.0 : c < 0x80 || c >= 0xC0 ? 0.6 : 0;
    return w;
}

// The picture as SVG: fitted to the elements and captions with a margin, the y axis turned to
// point down; masks below, texts above everything else.
std::string Svg(const Picture &pic)
{
    double minx = 1e300, miny = 1e300, maxx = -1e300, maxy = -1e300;
    for (const Element &e : pic.elements)
        for (const Point &p : e.pts) {
            double pad = e.kind == Element::Label ? e.size : 0;
            minx = std::min(minx, p.x - pad), maxx = std::max(maxx, p.x + pad);
            miny = std::min(miny, p.y - pad), maxy = std::max(maxy, p.y + pad);
        }
    if (minx > maxx)
        minx = miny = 0, maxx = maxy = 10;
    double span = std::max({maxx - minx, maxy - miny, 1e-6}), margin = span * 0.08;
    double line = span / 250, width = maxx - minx + 2 * margin, height = maxy - miny + 2 * margin;
    double caption = pic.captions.empty() ? 0 : span / 14;
    for (const std::string &c : pic.captions) // a caption runs past the drawing: widen the view
        maxx = std::max(maxx, minx + TextWidth(c) * caption * 0.8);
    width = maxx - minx + 2 * margin;
    auto X = [&](double x) { return Num(x - minx + margin); };
    auto Y = [&](double y) { return Num(maxy - y + margin + caption * pic.captions.size()); };

    std::ostringstream o;
    o << "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"480\" height=\""
      << Num(480 * (height + caption * pic.captions.size()) / width) << "\" viewBox=\"0 0 "
      << Num(width) << " " << Num(height + caption * pic.captions.size()) << "\">\n";
    o << "<rect width=\"100%\" height=\"100%\" fill=\"#ffffff\"/>\n";
    for (size_t i = 0; i < pic.captions.size(); i++)
        o << "<text x=\"" << Num(margin) << "\" y=\"" << Num(caption * (i + 1)) << "\" font-size=\""
          << Num(caption * 0.8) << "\" font-family=\"" << kFonts << "\" fill=\"#c00000\">"
          << Escape(pic.captions[i]) << "</text>\n";
    // masks, then lines and solids in file order, then texts
    auto layer = [](const Element *e) {
        return e->kind == Element::Mask ? 0 : e->kind == Element::Label ? 2 : 1;
    };
    std::vector<const Element *> order;
    for (const Element &e : pic.elements)
        order.push_back(&e);
    std::stable_sort(order.begin(), order.end(),
                     [&](const Element *a, const Element *b) { return layer(a) < layer(b); });
    for (const Element *ep : order) {
        const Element &e = *ep;
        std::string    pts;
        for (size_t i = 0; i < e.pts.size(); i++) {
            pts += i == 0 || (e.kind == Element::Ring && i == e.outer) ? "M" : " L";
            pts += X(e.pts[i].x);
            pts += ' ';
            pts += Y(e.pts[i].y);
        }
        if (e.kind == Element::Stroke)
            o << "<path d=\"" << pts << "\" fill=\"none\" stroke=\"" << e.colour
              << "\" stroke-width=\"" << Num(line) << "\" stroke-linejoin=\"round\"/>\n";
        else if (e.kind != Element::Label)
            o << "<path d=\"" << pts << " Z\" fill=\""
              << (e.kind == Element::Mask ? "#ffffff" : e.colour) << "\" fill-rule=\"evenodd\"/>\n";
        else
            o << "<text x=\"" << X(e.pts[0].x) << "\" y=\"" << Y(e.pts[0].y) << "\" font-size=\""
              << Num(e.size > 0 ? e.size : span / 20) << "\" font-family=\"" << kFonts
              << "\" fill=\"" << e.colour
              << "\" text-anchor=\"middle\" dominant-baseline=\"central\">" << Escape(e.text)
              << "</text>\n";
    }
    o << "</svg>\n";
    return o.str();
}

} // namespace

int main(int argc, char **argv)
{
#ifdef _WIN32
    _setmode(_fileno(stdout), _O_BINARY); // the same picture bytes on every platform
    _setmode(_fileno(stderr), _O_BINARY);
#endif
    const char *usage = "usage: balloon-preview [COMMAND_FILE] [-o OUT.svg]\n";
    const char *help = "Draws a command file of balloon (QVC_TEMP.TXT if none is named) as an SVG\n"
                       "picture, on standard output unless -o names a file.\n";
    std::string input, output;
    for (int i = 1; i < argc; i++) {
        std::string a = argv[i];
        if (a == "--help" || a == "--version") {
            if (a == "--help")
                std::cout << usage << help;
            else
                std::cout << "balloon-preview " BALLOON_VERSION "\n";
            return std::cout.flush() ? 0 : 1;
        }
        if (a == "-o" && i + 1 < argc && output.empty()) {
            output = argv[++i];
        } else if ((a.size() > 1 && a[0] == '-') || !input.empty()) { // one file, one picture
            std::cerr << usage;
            return 2;
        } else {
            input = a;
        }
    }
    if (input.empty())
        input = "QVC_TEMP.TXT";
    Picture pic;
    if (!Read(input, pic))
        return 1;
    if (pic.elements.empty() && pic.captions.empty()) {
        std::cerr << "balloon-preview: no drawing command in " << input << "\n";
        return 1;
    }
    std::string svg = Svg(pic);
    if (output.empty()) {
        std::cout << svg;
        return std::cout.flush() ? 0 : 1;
    }
    std::ofstream out(output, std::ios::binary);
    if (!(out << svg) || !out.flush()) {
        std::cerr << "balloon-preview: cannot write " << output << "\n";
        return 1;
    }
    return 0;
}
