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
    const char *fault = std::getenv("BALLOON_FAULT");
    const char *blank = fault ? std::strchr(fault, ' ') : nullptr;
    bool        hit = false;
    if (fault != nullptr && blank == nullptr)
        hit = ++calls == std::atol(fault);
    else if (fault != nullptr && std::strncmp(fault, op, std::strlen(op)) == 0 &&
             fault + std::strlen(op) == blank)
        hit = ++ofKind == std::atol(blank + 1);
    if (hit)
        std::fprintf(stderr, "os fault: %s\n", op);
    return hit;
}
