// In-process runs of the routines, apart from the harness: the program state has names that
// the Windows headers use too.
#include "harness.h"
#include "state/state.h"
#include "text/textio.h"

void OpenOutput(const Scratch &dir)
{
    StateReset();
    PAI = 3.141592653589793;
    TextOpen(&fpw, dir.At("out").c_str(), true);
}

std::string CloseOutput(const Scratch &dir)
{
    TextClose(&fpw);
    return ReadFile(dir.At("out"));
}
