// The fault seam of the tool built for the fault tests (balloon-faults). BALLOON_FAULT="N" fails
// the N-th call of the floor, "OP N" the N-th call of kind OP; the failed call is named on
// standard error ("os fault: OP"), so that a test knows which failure it made.
#include "os/os.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

bool OsFault(const char *op)
{
    static long calls = 0, ofKind = 0;
    const char *spec = std::getenv("BALLOON_FAULT"), *blank = spec ? std::strchr(spec, ' ') : 0;
    bool        hit = false;
    if (spec != nullptr && blank == nullptr)
        hit = ++calls == std::atol(spec);
    else if (spec != nullptr && std::strncmp(spec, op, std::strlen(op)) == 0 &&
             spec + std::strlen(op) == blank)
        hit = ++ofKind == std::atol(blank + 1);
    if (hit)
        std::fprintf(stderr, "os fault: %s\n", op);
    return hit;
}
