// libFuzzer target: one whole run of the tool, in process, per input. The input's first line
// holds the options, separated by blanks; the rest is the interchange file. A first option
// "@" stands for the host using the lower-case file name.
#include "driver/driver.h"
#include "state/state.h"
#include "text/os.h"
#include "text/textio.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>

namespace
{

struct Stopped {
    int status;
};

// A scratch directory for the whole fuzzing session; each run starts it empty.
const std::string &WorkDir()
{
    static const std::string dir = [] {
        std::string tmpl =
            (std::filesystem::temp_directory_path() / "balloon-fuzz-XXXXXX").string();
        std::string made = mkdtemp(tmpl.data());
        if (chdir(made.c_str()) != 0)
            std::abort();
        return made;
    }();
    return dir;
}

} // namespace

// The tool's stop, in process: the run ends by an exception that the target catches, and the
// next input runs in the same process.
void Stop(int status, const char *, const char *)
{
    throw Stopped{status};
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const std::string &dir = WorkDir();
    for (const auto &entry : std::filesystem::directory_iterator(dir))
        std::filesystem::remove_all(entry.path());

    const char *text = reinterpret_cast<const char *>(data);
    const char *nl = static_cast<const char *>(std::memchr(text, '\n', size));
    size_t      head = nl ? nl - text : size;
    std::string options(text, head);
    std::string file = nl ? std::string(nl + 1, size - head - 1) : std::string();

    std::vector<std::string> args{"balloon"};
    for (size_t at = 0; at <= options.size() && args.size() < 12;) {
        size_t end = options.find(' ', at);
        if (end == std::string::npos)
            end = options.size();
        if (end > at)
            args.push_back(options.substr(at, end - at));
        at = end + 1;
    }
    bool lower = args.size() > 1 && args[1] == "@";
    if (FILE *f = std::fopen(lower ? "qvc_temp.txt" : "QVC_TEMP.TXT", "wb")) {
        std::fwrite(file.data(), 1, file.size(), f);
        std::fclose(f);
    }
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
    OsUnlock();

    // A failed run, and a run at a debug level, leave the host's records as they were.
    if (status != 0 || isTest != 0) {
        std::string now;
        if (FILE *f = std::fopen("QVC_TEMP.TXT", "rb")) {
            char buf[4096];
            for (size_t n; (n = std::fread(buf, 1, sizeof buf, f)) > 0;)
                now.append(buf, n);
            std::fclose(f);
        }
        if (now != file)
            std::abort();
    }
    return 0;
}
