// The end of a run that failed: its one message on standard error, then the exit status.
#include "driver/driver.h"
#include "text/format.h"

#include <cstdlib>

void Stop(int status, const char *message, const char *name)
{
    ConPrintf(stderr, "%s: %s \n", message, name);
    std::exit(status);
}
