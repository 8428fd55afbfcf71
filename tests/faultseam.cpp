// The fault seam of the tool built for the fault tests (balloon-faults): BALLOON_FAULT="N" fails
// the N-th call of the floor, and names it on standard error ("os fault: OP"), so that a test
// knows which failure it made.
#include "os/os.h"

#include <cstdio>
#include <cstdlib>

bool OsFault(const char *op)
{
    static long calls = 0;
    const char *fault = std::getenv("BALLOON_FAULT");
    const bool  hit = fault != nullptr && ++calls == std::atol(fault);
    if (hit)
        std::fprintf(stderr, "os fault: %s\n", op);
    return hit;
}
