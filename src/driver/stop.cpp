// The end of a run that failed: its one message on standard error, then the exit status.
#include "driver/driver.h"
#include "text/format.h"

#include <cstdlib>

void Stop(int status, const char *fmt, const char *name)
{
    ConPrintf(stderr, fmt, name);
    std::exit(status);
}
