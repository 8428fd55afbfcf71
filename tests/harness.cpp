#include "harness.h"

#include <cstdio>
#include <cstring>
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
    std::ifstream      in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

void WriteFile(const std::string &path, const std::string &bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

Outcome RunIn(const std::string &dir, const std::vector<std::string> &args, const char *program,
              As as)
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
