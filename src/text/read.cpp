// The one read of the text layer, apart so that a test build can replace it.
#include "text/textio.h"

long TextRead(FILE *f, char *buf, size_t n)
{
    size_t got = std::fread(buf, 1, n, f);
    return got == 0 && std::ferror(f) ? -1 : static_cast<long>(got);
}
