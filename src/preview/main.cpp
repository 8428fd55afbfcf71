// balloon-preview: draws a command file of the balloon tool (Shift_JIS, CR LF) as an SVG picture,
// so that a person can see what the host would draw.
//
//   balloon-preview [COMMAND_FILE] [-o OUT.svg] [--host HOST_FILE]
//
// Defaults: "QVC_TEMP.TXT" in the current directory, the picture on standard output; with the
// host's file that the command file came from, texts as high as their text style. Each
// command is drawn as the host draws it: masks first (an "sc" solid with a negative last value
// blanks its sector in the background colour), then lines and solids in file order, then the
// texts on top of everything.
#include "os/os.h"
#include "preview/preview.h"

#include <fstream>
#include <iostream>

int main(int argc, char **argv)
{
    if (!OsStart()) // the same picture bytes on every platform
        return 1;
    const char *usage = "usage: balloon-preview [COMMAND_FILE] [-o OUT.svg] [--host HOST_FILE]\n";
    const char *help = "Draws a command file of balloon (QVC_TEMP.TXT if none is named) as an SVG\n"
                       "picture, on standard output unless -o names a file; --host names the\n"
                       "host's file that the command file came from, for the texts' heights.\n";
    std::string input, output, host;
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
        } else if (a == "--host" && i + 1 < argc && host.empty()) {
            host = argv[++i];
        } else if ((a.size() > 1 && a[0] == '-') || !input.empty()) { // one file, one picture
            std::cerr << usage;
            return 2;
        } else {
            input = a;
        }
    }
    if (input.empty())
        input = "QVC_TEMP.TXT";
    std::vector<double> heights; // empty: the texts sized from their frames
    if (!host.empty() && !ReadHost(host, heights))
        return 1;
    Picture pic;
    if (!Read(input, heights, pic))
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
