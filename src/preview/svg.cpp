// The picture drawn as SVG.
#include "preview/preview.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <sstream>

namespace
{

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

// The font size of a label in its frame: a label of one full-width character as high as it may
// be, a longer one across at most 80 % of the room it has.
double LabelSize(const Element &e)
{
    return std::min(e.height, 1.6 * e.room / TextWidth(e.text));
}

// How far the baseline of a text lies below its middle, in units of its font size: placed by
// its baseline, a text stands at one height in every renderer.
constexpr double kBaseline = 0.36;

} // namespace

double TextWidth(const std::string &utf8)
{
    double w = 0;
    for (char ch : utf8) { // counted at each character's first byte
        auto c = static_cast<unsigned char>(ch);
        w += c >= 0xE0 ? 1.0 : c < 0x80 || c >= 0xC0 ? 0.6 : 0;
    }
    return w;
}

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
    else if (maxx - minx <= 0 && maxy - miny <= 0) // one point alone: a view of 10 around it
        minx -= 5, maxx += 5, miny -= 5, maxy += 5;
    double span = std::max({maxx - minx, maxy - miny, 1e-6}), margin = span * 0.08;
    double line = span / 250, width = maxx - minx + 2 * margin, height = maxy - miny + 2 * margin;
    double caption = pic.captions.empty() ? 0 : span / 14;
    double lines = static_cast<double>(pic.captions.size()); // the captions above the drawing
    for (const std::string &c : pic.captions) // a caption runs past the drawing: widen the view
        maxx = std::max(maxx, minx + TextWidth(c) * caption * 0.8);
    width = maxx - minx + 2 * margin;
    auto X = [&](double x) { return Num(x - minx + margin); };
    auto Y = [&](double y) { return Num(maxy - y + margin + caption * lines); };

    std::ostringstream o;
    o << "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"480\" height=\""
      << Num(480 * (height + caption * lines) / width) << "\" viewBox=\"0 0 " << Num(width) << " "
      << Num(height + caption * lines) << "\">\n";
    o << "<rect width=\"100%\" height=\"100%\" fill=\"#ffffff\"/>\n";
    for (size_t i = 0; i < pic.captions.size(); i++)
        o << "<text x=\"" << Num(margin) << "\" y=\"" << Num(caption * static_cast<double>(i + 1))
          << "\" font-size=\"" << Num(caption * 0.8) << "\" font-family=\"" << kFonts
          << "\" fill=\"#c00000\">" << Escape(pic.captions[i]) << "</text>\n";
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
              << "\" stroke-width=\"" << Num(e.width > 0 ? e.width : line)
              << "\" stroke-linejoin=\"round\"/>\n";
        else if (e.kind != Element::Label)
            o << "<path d=\"" << pts << " Z\" fill=\""
              << (e.kind == Element::Mask ? "#ffffff" : e.colour) << "\" fill-rule=\"evenodd\"/>\n";
        else {
            double size = e.font > 0 ? e.font : e.height > 0 ? LabelSize(e) : span / 20;
            o << "<text x=\"" << X(e.pts[0].x) << "\" y=\"" << Y(e.pts[0].y - kBaseline * size)
              << "\" font-size=\"" << Num(size) << "\" font-family=\"" << kFonts << "\" fill=\""
              << e.colour << "\" text-anchor=\"middle\">" << Escape(e.text) << "</text>\n";
        }
    }
    o << "</svg>\n";
    return o.str();
}
