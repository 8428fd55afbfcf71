#include "harness.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

namespace fs = std::filesystem;

Scratch::Scratch()
{
    static std::mt19937_64 rng(std::random_device{}());
    do
        path = (fs::temp_directory_path() / ("balloon-" + std::to_string(rng()))).string();
    while (!fs::create_directory(path));
}

Scratch::~Scratch()
{
    std::error_code ec;
    fs::remove_all(path, ec);
}

std::string Scratch::At(const std::string &name) const
{
    return (fs::path(path) / name).string();
}

std::string ReadFile(const std::string &path)
{
    std::ifstream      in(path, std::ios::binary); // a directory reads as ""
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

void WriteFile(const std::string &path, const std::string &bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

// s with its escapes replaced by the bytes they stand for.
static std::string Unescape(const std::string &s)
{
    std::string out;
    for (size_t i = 0; i < s.size(); i++) {
        char c = s[i] == '\\' && i + 1 < s.size() ? s[++i] : '\0';
        if (c == 'x')
            out += static_cast<char>(std::stoi(s.substr(i + 1, 2), nullptr, 16)), i += 2;
        else
            out += c == '\0' ? s[i] : c == 'n' ? '\n' : c == 'r' ? '\r' : c == '0' ? '\0' : c;
    }
    return out;
}

std::vector<Case> Cases(const std::string &name)
{
    std::vector<Case>  cases;
    std::istringstream in(ReadFile(SOURCE_DIR "/tests/golden/" + name));
    for (std::string line; std::getline(in, line);) {
        if (line.empty() || line[0] == '#')
            continue;
        Case c; // the fields between " | ", the first one "what"
        for (size_t at = 0, end = 0; end != std::string::npos; at = end + 3) {
            std::string field = line.substr(at, (end = line.find(" | ", at)) - at);
            size_t      eq = at == 0 ? std::string::npos : field.find('=');
            c[eq == std::string::npos ? "what" : field.substr(0, eq)] =
                Unescape(field.substr(eq + 1));
        }
        cases.push_back(c);
    }
    return cases;
}

std::vector<std::string> Words(const std::string &s)
{
    std::istringstream       in(s);
    std::vector<std::string> words;
    for (std::string w; in >> w;)
        words.push_back(w);
    return words;
}

std::string Field(const Case &c, const std::string &key, const std::string &otherwise)
{
    auto it = c.find(key);
    return it == c.end() ? otherwise : it->second;
}

Outcome RunIn(const std::string &dir, const std::vector<std::string> &args, const char *program,
              const std::string &as)
{
    Scratch io; // the captured streams live outside the run's directory
    int     status = Wait(Start(dir, args, program, as, io.At("out"), io.At("err")));
    return Outcome{status, ReadFile(io.At("out")), ReadFile(io.At("err")), "", ""};
}

Outcome RunOn(const std::string &input, const std::vector<std::string> &args)
{
    Scratch dir;
    WriteFile(dir.At("QVC_TEMP.TXT"), input);
    Outcome r = RunIn(dir.path, args);
    r.txt = ReadFile(dir.At("QVC_TEMP.TXT"));
    r.work = ReadFile(dir.At("QVC_TEMP.$$$"));
    return r;
}

void SetFault(const std::string &call)
{
    static char setting[64]; // POSIX keeps this very string in the environment
    std::snprintf(setting, sizeof setting, "BALLOON_FAULT=%s", call.c_str());
    putenv(setting);
}
