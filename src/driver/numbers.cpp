// The file of numbers, "QVC_NEXT.TXT": the last label that a numbering run (-i) drew in this
// folder, one line, so that the next run draws the one after it. It is read under the run's hold
// on the directory and replaced as the host's file is, after it.
#include "balloon/label.h"
#include "driver/driver.h"
#include "driver/messages.h"
#include "os/os.h"
#include "state/state.h"
#include "text/format.h"
#include "writer/writer.h"

#include <cstring>

#define BOM "\xEF\xBB\xBF" // UTF-8's byte order mark, which Notepad may write first

// Opens the file of numbers, gives its permissions to the new one, and, where the numbering goes
// on from it, takes its label into last: one label as -l takes it, after a byte order mark or
// not, before a line end or not. False when it cannot be opened or read or holds anything else.
static bool ReadLast(char *last)
{
    FILE *f = OsOpenRead(QVC_NEXT);
    if (f == nullptr)
        return false;
    if (fpn.f != nullptr)
        OsInherit(fpn.f, f);
    char   buf[64]; // more than any label with a mark and a line end: more is no label
    size_t n = 0, got = 1;
    bool   read = true;
    while (isLABEL == LABEL_NEXT && read && got > 0 && n < sizeof buf)
        if ((read = OsRead(f, buf + n, sizeof buf - n, got)))
            n += got;
    OsClose(f); // only read: a failed close loses nothing
    size_t at = n >= 3 && std::memcmp(buf, BOM, 3) == 0 ? 3 : 0, end = n;
    if (end > at && buf[end - 1] == '\n')
        end -= end - 1 > at && buf[end - 2] == '\r' ? 2 : 1;
    if (!read || end - at > 2 * LABEL_CHARS || std::memchr(buf + at, '\0', end - at) != nullptr)
        return false;
    std::memcpy(last, buf + at, end - at);
    last[end - at] = '\0';
    return isLABEL != LABEL_NEXT || IsLabel(last);
}

int Numbering()
{
    if (isTest == LEVEL_NONE && !TextOpen(&fpn, QVC_NEXT_WORK, true, true))
        Fail(STATUS_NOT_OPEN, MSG_OPEN, QVC_NEXT_WORK);
    char last[2 * LABEL_CHARS + 1] = "";
    bool there = OsTaken(QVC_NEXT); // where names ignore case, in any case
    if (there && !(OsIsFile(QVC_NEXT) && OsWritable(QVC_NEXT) && ReadLast(last)))
        return BALLOON_NUMBERS;
    if (isLABEL == LABEL_NEXT && !there)
        std::strcpy(LABEL.data(), "1");
    else if (isLABEL == LABEL_NEXT && !NextLabel(last, LABEL.data()))
        return BALLOON_NO_NEXT;
    if (isTest == LEVEL_BALLOON)
        ConPrintf(stdout, "#  number(%s)  from(%s)\n", LABEL.data(),
                  isLABEL == LABEL_STARTS ? "option -i"
                  : there                 ? last
                                          : "no " QVC_NEXT);
    return BALLOON_DRAWN;
}

bool NumberSync()
{
    TextWriteLine(&fpn, LABEL.data(), std::strlen(LABEL.data()));
    return TextSync(&fpn);
}
