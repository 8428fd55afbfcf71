// The command file read into the elements of a picture, each command as the host draws it.
#include "preview/preview.h"

#include "os/os.h"

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

// The corners' distance from their middle to the nearest side: the radius of the circle that a
// frame drawn as a closed run of lines holds (its first corner is also its last).
double Inradius(const std::vector<Point> &loop)
{
    double cx = 0, cy = 0, r = 1e300;
    size_t n = loop.size() - 1;
    for (size_t i = 0; i < n; i++)
        cx += loop[i].x / static_cast<double>(n), cy += loop[i].y / static_cast<double>(n);
    for (size_t i = 0; i < n; i++) {
        double dx = loop[i + 1].x - loop[i].x, dy = loop[i + 1].y - loop[i].y;
        double len = std::hypot(dx, dy);
        if (len > 0)
            r = std::min(r, std::fabs((cx - loop[i].x) * dy - (cy - loop[i].y) * dx) / len);
    }
    return r < 1e300 ? r : 0;
}

// Half the width of a closed run of lines.
double HalfWidth(const std::vector<Point> &loop)
{
    auto [lo, hi] = std::minmax_element(loop.begin(), loop.end(),
                                        [](const Point &a, const Point &b) { return a.x < b.x; });
    return (hi->x - lo->x) / 2;
}

// Whether a closed run of lines is the same mirrored left to right, as every frame drawn of
// lines is: a bent leader that ends where it began is none.
bool Mirrored(const std::vector<Point> &loop)
{
    auto [lo, hi] = std::minmax_element(loop.begin(), loop.end(),
                                        [](const Point &a, const Point &b) { return a.x < b.x; });
    double mid = lo->x + hi->x, near = 1e-9 * (hi->x - lo->x + 1);
    for (const Point &p : loop) {
        bool twin = false;
        for (const Point &q : loop)
            twin = twin || (std::fabs(p.x + q.x - mid) <= near && std::fabs(p.y - q.y) <= near);
        if (!twin)
            return false;
    }
    return true;
}

// The size of a label without a frame from the balloon's first line: a level line below it is
// the line under the label, 3/4 of the text height below it (frame 6); any other is the leader
// from the edge of the label's box (frame 7), h high and about as wide as the text.
void Unframed(Element &e, const Element &line)
{
    const Point &a = line.pts[0], &b = line.pts[1], &at = e.pts[0];
    if (a.y == b.y && at.y > a.y) {
        e.size = e.room = std::fabs(b.x - a.x) / 2;
        e.height = (at.y - a.y) / 0.75;
    } else {
        e.height =
            std::max(2 * std::fabs(a.y - at.y), 2 * std::fabs(a.x - at.x) / TextWidth(e.text));
        e.room = e.size = e.height * TextWidth(e.text);
    }
}

// What is known of the balloon being read, from its "cn" on.
struct Balloon {
    bool   open = false;   // a "cn" began it: the lines before the first have no balloon
    size_t begin = 0;      // its first element
    double textSize = 0;   // of its frame: the circle's radius or the inradius; 0 before the frame
    double room = 0;       // of its frame: half its width
    double tall = 0;       // of a frame of four sides: its height
    size_t lead = 0;       // without a frame: 1 + the index of its first line
    size_t first = 0;      // 1 + the index of its first label; 0 before it
    size_t label = 0;      // 1 + the index of the stack's latest label; 0 before the first
    bool   next = false;   // a "cc" came: the next text is a label of the stack, no entry
    bool   second = false; // a second entry stands below the label
    double text = 0;       // its text style's height from the host's file; 0: unknown
};

constexpr double kRing = 0.05; // the host draws a circle's line this much of its radius wide

// The radius whose kRing the balloon's lines are wide: its frame's circle (a circle's radius, a
// polygon's inradius, half a square's height), or where it has none its text height, the host's
// or as its first label shows it; 0 where nothing tells it. A rectangle around a label and a
// second entry, 3.5 text heights high, is no square around a circle, which is higher.
double LineRadius(const Picture &pic, const Balloon &b)
{
    double h = b.text > 0 ? b.text : b.first != 0 ? pic.elements[b.first - 1].height : 0;
    if (b.tall > 0)
        return b.second && std::fabs(b.tall - 3.5 * h) <= 1e-6 * b.tall ? h : b.tall / 2;
    return b.textSize > 0 && b.lead == 0 ? b.textSize : h;
}

// Gives every line of the balloon its width, once the balloon is read.
void Widths(Picture &pic, const Balloon &b)
{
    double r = b.open ? LineRadius(pic, b) : 0;
    for (size_t i = b.begin; i < pic.elements.size() && r > 0; i++)
        if (pic.elements[i].kind == Element::Stroke)
            pic.elements[i].width = kRing * r;
}

} // namespace

std::string Decode(const std::string &s)
{
    std::string out;
    for (size_t i = 0; i < s.size();) {
        auto   c = static_cast<unsigned char>(s[i]);
        bool   lead = (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
        size_t n = lead ? 2 : 1, k = 0;
        char   utf8[4];
        if (c < 0x80)
            utf8[k++] = s[i];                                             // ASCII as it is
        else if (i + n <= s.size() && (lead || (c >= 0xA1 && c <= 0xDF))) // or half-width kana
            k = OsSjisUtf8(s.data() + i, n, utf8);
        out.append(k > 0 ? std::string(utf8, k) : "\xEF\xBF\xBD"); // U+FFFD where none
        i += std::min(n, s.size() - i);
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

bool Read(const std::string &path, const std::vector<double> &heights, Picture &pic)
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
    Balloon             b;
    std::vector<double> v;
    std::vector<Point>  loop; // lines that run on from each other: a frame once closed
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        std::string word = line.substr(0, 2);
        if (word == "cn") { // a balloon's first command: its frame is still to come
            Widths(pic, b);
            b = Balloon{};
            b.open = true, b.begin = pic.elements.size();
            loop.clear();
            bool style = Numbers(line, 2, v, 1) == 1 && std::trunc(v[0]) == v[0];
            if (style && v[0] >= 0 && v[0] < static_cast<double>(heights.size()))
                b.text = heights[static_cast<size_t>(v[0])];
        }
        if (line.rfind("lc10 #", 0) == 0 && line.size() >= 12) {
            colour = line.substr(5, 7);
        } else if (word == "cc") {
            b.next = true;
        } else if (word == "sl" && Numbers(line, 2, v, 6) >= 4) {
            v.resize(v.size() < 6 ? 4 : 6); // two points or three
            Element e{Element::Stroke, {}, 0, "", 0, 0, 0, colour, 0, 0};
            for (size_t i = 0; i + 1 < v.size(); i += 2)
                e.pts.push_back({v[i], v[i + 1]});
            pic.elements.push_back(e);
            if (loop.empty() && v.size() == 4 && b.textSize == 0)
                b.lead = pic.elements.size();
            if (loop.empty() || loop.back().x != v[0] || loop.back().y != v[1] || v.size() > 4)
                loop = {e.pts[0]};
            loop.push_back(e.pts[1]);
            bool closed = loop.size() > 3 && v[2] == loop[0].x && v[3] == loop[0].y;
            if (closed && b.textSize == 0 && Mirrored(loop)) {
                b.textSize = Inradius(loop), b.room = HalfWidth(loop), b.lead = 0;
                auto [lo, hi] =
                    std::minmax_element(loop.begin(), loop.end(),
                                        [](const Point &p, const Point &q) { return p.y < q.y; });
                b.tall = loop.size() == 5 ? hi->y - lo->y : 0;
            }
        } else if ((word == "sc" || word == "so") && Numbers(line, 2, v, 8) == 8 && v[2] > 0) {
            bool full = std::fabs(v[6]) >= 2 * kPi - 1e-9;
            if (word == "so") { // a ring from the last value out to the radius
                Element e{Element::Ring, Arc(v, v[2], false), 0, "", 0, 0, 0, colour, 0, 0};
                e.outer = e.pts.size();
                std::vector<Point> inner = Arc(v, std::clamp(v[7], 0.0, v[2]), !full);
                e.pts.insert(e.pts.end(), inner.begin(), inner.end());
                pic.elements.push_back(e);
                if (b.textSize == 0) // the frame's circle; a later one is the leader's end
                    b.textSize = b.room = v[2];
            } else { // a filled sector from the centre, or a disc; a mask when v[7] < 0
                Element e{v[7] < 0 ? Element::Mask : Element::Fill,
                          Arc(v, v[2], false),
                          0,
                          "",
                          0,
                          0,
                          0,
                          colour,
                          0,
                          0};
                if (!full)
                    e.pts.insert(e.pts.begin(), Point{v[0], v[1]});
                pic.elements.push_back(e);
            }
        } else if (word == "ch" && Numbers(line, 2, v, 2) == 2) {
            size_t quote = line.find('"');
            if (quote == std::string::npos)
                continue;
            bool after = b.label != 0 && pic.elements.back().kind == Element::Label && !b.next;
            bool stacked = b.next && b.first != 0; // as large as the stack's first label
            if (!after)
                b.label = pic.elements.size() + 1;
            if (b.first == 0)
                b.first = b.label;
            b.next = false;
            Element e{Element::Label,
                      {{v[0], v[1]}},
                      0,
                      Decode(line.substr(quote + 1)),
                      b.textSize,
                      b.textSize,
                      b.room,
                      colour,
                      0,
                      b.text};
            if (stacked) {
                const Element &f = pic.elements[b.first - 1];
                e.size = f.size, e.height = f.height, e.room = f.room;
            } else if (b.lead != 0 && !after)
                Unframed(e, pic.elements[b.lead - 1]);
            Element *a = after ? &pic.elements[b.label - 1] : nullptr;
            if (a != nullptr && a->pts[0].x != v[0]) { // beside the frame, as high as the label
                e.height = a->height;
                e.size = e.room = e.height * std::max(1.0, TextWidth(e.text));
            } else if (a != nullptr) { // both entries as high as the text, 2/3 of their distance
                a->height = e.height = std::fabs(a->pts[0].y - v[1]) / 1.5;
                e.size = a->size, e.room = a->room, b.second = true;
            }
            e.size = std::max(e.size, e.font * std::max(1.0, TextWidth(e.text)) / 2);
            pic.elements.push_back(e);
        } else if (word == "h#" || word == "he") {
            pic.captions.push_back(Decode(line.substr(2)));
        }
    }
    Widths(pic, b);
    if (in.bad()) {
        std::cerr << "balloon-preview: cannot read " << path << "\n";
        return false;
    }
    return true;
}
