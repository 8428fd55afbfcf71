// Reading, writing and closing the streams of the floor, the same on every platform.
#include "os/os.h"

bool OsRead(FILE *f, char *buf, size_t n, size_t &got)
{
    got = 0;
    if (OsFault("read"))
        return false;
    got = std::fread(buf, 1, n, f);
    return got > 0 || !std::ferror(f);
}

bool OsWrite(FILE *f, const char *buf, size_t n)
{
    return !OsFault("write") && std::fwrite(buf, 1, n, f) == n;
}

bool OsClose(FILE *f)
{
    bool failed = OsFault("close");
    return std::fclose(f) == 0 && !failed;
}
