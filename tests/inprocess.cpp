// In-process runs of the tool's routines: program state reset, fpw on a scratch file.
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
