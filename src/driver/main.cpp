// balloon: adds one numbered balloon to the drawing that the host CAD program handed over in
// the interchange file of the working directory.
#include "driver.h"

int main(int argc, char **argv)
{
    return Transform(argc, argv);
}
