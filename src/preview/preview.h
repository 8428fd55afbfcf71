// balloon-preview: draws a command file of the balloon tool (Shift_JIS, CR LF) as an SVG picture,
// so that a person can see what the host would draw. host.cpp takes the text heights from the
// host's file, read.cpp turns the command file into the elements of a picture, svg.cpp draws
// them, main.cpp takes the command line.
#pragma once

#include <string>
#include <vector>

constexpr double kPi = 3.141592653589793;

struct Point {
    double x, y;
};

// One element of the picture, in drawing coordinates (y up).
struct Element {
    enum Kind { Mask, Stroke, Fill, Ring, Label } kind;
    std::vector<Point> pts;    // Mask, Stroke, Fill: the outline; Ring: outer, then inner loop
    size_t             outer;  // Ring: points of the outer loop
    std::string        text;   // Label: UTF-8
    double             size;   // Label: how far around its point it may reach
    double             height; // Label: the most it is high; 0: unknown
    double             room;   // Label: half the width that it may take
    std::string        colour;
    double             width; // Stroke: as wide as its balloon's circle is drawn; 0: unknown
    double             font;  // Label: its text style's height, from the host; 0: unknown
};

struct Picture {
    std::vector<Element>     elements;
    std::vector<std::string> captions; // error lines, decoded
};

// Shift_JIS (code page 932) to UTF-8 through the system's converter; a character that it cannot
// decode becomes U+FFFD.
std::string Decode(const std::string &s);

// Width of a decoded text in units of its font size: full width from U+0800 on (three bytes).
double TextWidth(const std::string &utf8);

// The host's file read as the tool reads it: into heights, by text style, the style's text
// height times the scale of the current group; false, with a message, when it cannot be read.
bool ReadHost(const std::string &path, std::vector<double> &heights);

// Reads the command file into the picture, its texts as high as heights says of their style
// where it is not empty; false, with a message, when it cannot be read.
bool Read(const std::string &path, const std::vector<double> &heights, Picture &pic);

// The picture as SVG: fitted to the elements and captions with a margin, the y axis turned to
// point down; masks below, texts above everything else.
std::string Svg(const Picture &pic);
