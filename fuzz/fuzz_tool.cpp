// libFuzzer target: one whole run of the tool, in process, per input. The input's first line
// holds the options, separated by white space; the rest is the interchange file. A first option
// "@" stands for the host using the lower-case file name. Each run is checked as the host
// would see it: a failed run or a debug run leaves the host's records, and a finished run
// leaves a command file of whole lines that ends with the restore block.
#include "driver/driver.h"
#include "os/os.h"
#include "state/state.h"
#include "text/textio.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace
{

namespace fs = std::filesystem;

struct Stopped {
    int status;
};

std::string Contents(const char *name)
{
    std::ifstream in(name, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

// The command file of a finished run, as a host reads it: whole CR LF lines, each a copied
// comment or "bz" line or a command that the tool writes; the balloon's label or its error line,
// at level 1 the two trailer lines, then the restore block ("cn0" sizes and "cn" where the input
// gave them, "lg", "ly", "lt", "lc", and "pn" where given). Aborts on anything else.
void CheckCommandFile(const std::string &file, int level)
{
    static const char *const words[] = {"#",   "bz",  "cn", "lc10 #", "sc ", "sl ", "so ", "cc4 ",
                                        "ch ", "h# ", "lg", "ly",     "lt",  "lc",  "pn"};
    std::vector<std::string> lines;
    std::istringstream       in(file);
    for (std::string line; std::getline(in, line); lines.push_back(line.erase(line.size() - 1)))
        if (line.empty() || line.back() != '\r' || in.eof() ||
            std::none_of(std::begin(words), std::end(words),
                         [&](const char *w) { return line.starts_with(w); }))
            std::abort();    // a line without its CR LF, or not the tool's
    size_t k = lines.size(); // lines[k - 1] is the last line not yet matched
    auto   take = [&](const char *word, bool optional) {
        if (k > 0 && lines[k - 1].starts_with(word))
            k--;
        else if (!optional)
            std::abort();
    };
    take("pn", true);
    for (const char *w : {"lc", "lt", "ly", "lg"})
        take(w, false);
    if (k > 0 && lines[k - 1].starts_with("cn") && lines[k - 1].find(' ') == std::string::npos)
        k--; // "cn" and a style number, without the blank of the balloon's own
    if (k > 0 && lines[k - 1].starts_with("cn0 ") && lines[k - 1].size() > 4)
        k--;
    if (level == 1) {
        take("#    jd_xmax= ", false);
        take("# ------------------ main() Pattern1 end file closing", false);
    }
    if (k == 0 || !(lines[k - 1].starts_with("ch ") || lines[k - 1].starts_with("h# ")))
        std::abort();
}

} // namespace

// The tool's stop, in process: the run ends by an exception that the target catches, and the
// next input runs in the same process.
void Stop(int status, const char *, const char *)
{
    throw Stopped{status};
}

// The runs work in a scratch directory of their own for the whole session.
extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    std::string dir = (fs::temp_directory_path() / "balloon-fuzz-XXXXXX").string();
    if (mkdtemp(dir.data()) == nullptr || chdir(dir.c_str()) != 0)
        std::abort();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    for (const auto &entry : fs::directory_iterator("."))
        fs::remove_all(entry.path());
    const std::string input(reinterpret_cast<const char *>(data), size);
    const size_t      nl = std::min(input.find('\n'), size);
    const std::string options = input.substr(0, nl), file = input.substr(std::min(nl + 1, size));

    std::vector<std::string> args{"balloon"};
    std::istringstream       words(options);
    for (std::string w; args.size() < 12 && words >> w;)
        args.push_back(w);
    std::ofstream(args.size() > 1 && args[1] == "@" ? "qvc_temp.txt" : "QVC_TEMP.TXT",
                  std::ios::binary)
        << file;
    for (const std::string &w : args) // "+TEXT": the file of numbers holds TEXT before the run
        if (w.starts_with("+"))
            std::ofstream("QVC_NEXT.TXT", std::ios::binary) << w.substr(1) << "\r\n";
    const bool          counted = fs::exists("QVC_NEXT.TXT");
    const std::string   counter = Contents("QVC_NEXT.TXT");
    std::vector<char *> argv;
    for (std::string &a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);

    StateReset();
    int status = 0;
    try {
        status = Transform(static_cast<int>(argv.size()) - 1, argv.data());
    } catch (const Stopped &stop) {
        status = stop.status;
    }
    TextClose(&fp); // a stop leaves them to the process's end
    TextClose(&fpw);
    TextClose(&fpn);
    OsUnlock();

    // A failed run, and a run at a debug level, leave the host's records as they were.
    if ((status != 0 || isTest != 0) && Contents("QVC_TEMP.TXT") != file)
        std::abort();
    if (status == 0)
        CheckCommandFile(Contents(isTest == 0 ? "QVC_TEMP.TXT" : "QVC_TEMP.$$$"), isTest);
    if (status == 0 && isTest == 0 && (fs::exists("QVC_TEMP.$$$") || fs::exists("QVC_NEXT.$$$")))
        std::abort(); // the command file and the file of numbers were renamed into place
    // The file of numbers changes only where a numbering run put its balloon into the host's
    // file, and then holds one label and a line end; a run that draws its label again (-i=)
    // leaves it, unless a stack follows it.
    const std::string now = Contents("QVC_NEXT.TXT");
    const bool        numbered = status == 0 && isTest == 0 && isLABEL >= LABEL_STARTS &&
                          (isLABEL != LABEL_AGAIN || iJOIN > 0) &&
                          ("\n" + Contents("QVC_TEMP.TXT")).find("\nh# ") == std::string::npos;
    if (!numbered && (now != counter || fs::exists("QVC_NEXT.TXT") != counted))
        std::abort();
    if (numbered && (!now.ends_with("\r\n") || now.find_first_of("\r\n") != now.size() - 2))
        std::abort();
    return 0;
}
