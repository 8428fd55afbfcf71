// balloon: adds one numbered balloon to the drawing that the host CAD program handed over in
// the interchange file of the working directory.
#include "driver.h"

#ifdef _WIN32
#include <cstdio>
#include <fcntl.h>
#include <io.h>
#endif

int main(int argc, char **argv)
{
#ifdef _WIN32
    _setmode(_fileno(stdout), _O_BINARY); // the console lines are the same bytes everywhere
    _setmode(_fileno(stderr), _O_BINARY);
#endif
    return Transform(argc, argv);
}
