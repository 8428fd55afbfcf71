// balloon: adds one numbered balloon to the drawing that the host CAD program handed over in
// the interchange file of the working directory.
#include "driver/driver.h"
#include "os/os.h"

int main(int argc, char **argv)
{
    if (!OsStart())
        return 1;
    return Transform(argc, argv);
}
