// balloon: adds one numbered balloon to the drawing that the host CAD program handed over in
// the interchange file of the working directory.
#include "driver/driver.h"

#include <cstdio>
#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#else
#include <fcntl.h>
#include <unistd.h>
#endif

int main(int argc, char **argv)
{
#ifdef _WIN32
    _setmode(_fileno(stdout), _O_BINARY); // the console lines are the same bytes everywhere
    _setmode(_fileno(stderr), _O_BINARY);
#else
    // A standard descriptor closed by the caller is opened on /dev/null, so that no file the
    // tool opens later takes its number and receives traces or messages.
    for (int fd = 0; fd <= 2; fd++)
        if (fcntl(fd, F_GETFD) == -1 && open("/dev/null", fd == 0 ? O_RDONLY : O_WRONLY) != fd)
            return 1;
#endif
    return Transform(argc, argv);
}
