// The run of one start: name normalisation, line count and limit, the reader, the balloon,
// the restore block, and the command file replacing the interchange file. No line-copy routine
// is needed: the input stream counts its pieces while the reader takes them (at the level whose
// trace shows the count first, the file is counted, then read again), and the finished command
// file replaces the interchange file by one rename rather than by a copy back.
#include "driver/driver.h"

#include "balloon/balloon.h"
#include "driver/messages.h"
#include "os/os.h"
#include "reader/reader.h"
#include "state/state.h"
#include "text/format.h"
#include "text/textio.h"
#include "writer/lines.h"
#include "writer/writer.h"

#include <cstdio>
#include <iterator>

void Fail(int status, const char *message, const char *name)
{
    if (isTest == LEVEL_NONE)
        TextDiscard(&fpw, QVC_WORK);
    TextDiscard(&fpn, QVC_NEXT_WORK);
    Stop(status, message, name);
}

// Ends a run whose interchange file is over the line limit: the command file holds only the
// overflow line, the host's file is left alone. Returns the exit status.
static int Overflow()
{
    TextClose(&fp);
    TextDiscard(&fpn, QVC_NEXT_WORK); // nothing is numbered
    if (!TextEmpty(&fpw))             // drops what the reader copied, and a write of it that failed
        Fail(STATUS_FAILED, MSG_WRITE, QVC_WORK);
    OverflowOut(jd_limit);
    if (!TextFlush(&fpw)) // still open, so that a failed run removes it
        Fail(STATUS_FAILED, MSG_WRITE, QVC_WORK);
    if (!TextClose(&fpw))
        Stop(STATUS_FAILED, MSG_WRITE, QVC_WORK);
    return STATUS_FAILED;
}

// The names that the host's file passes on its way to "QVC_TEMP.TXT".
static const char *const ROUTE[] = {QVC_LOWER, QVC_STEP1, QVC_STEP2, QVC_FILE};

// A move between two names of the route is a second name given, then the first one removed: a
// run stopped in between left the file under both. The earlier name goes, and nothing else;
// where names ignore case the first and the last name are one name, which OsSameFile never
// takes for two.
static void DropHalfMoves()
{
    for (size_t i = 0; i < std::size(ROUTE); i++)
        for (size_t j = i + 1; j < std::size(ROUTE); j++)
            if (OsSameFile(ROUTE[i], ROUTE[j]))
                OsRemove(ROUTE[i]);
}

// Brings the host's "qvc_temp.txt" to the name "QVC_TEMP.TXT" by way of the intermediate names.
// No move replaces anything: a name that is taken is passed by, so that the file goes on through
// the free one or directly. When the last move fails, the file goes back to the host's name, or
// stays at the intermediate name where that is taken too. Only a regular file that the user may
// write moves: anything else stays where it is, and the run finds no host's file.
static void MoveLower()
{
    if (!OsWritable(QVC_LOWER))
        return; // the run could not replace it, and it stays where the host put it
    size_t at = 0, last = std::size(ROUTE) - 1;
    for (size_t next = 1; next <= last; next++)
        if (OsRename(ROUTE[at], ROUTE[next]))
            at = next;
    if (at != 0 && at != last)
        OsRename(ROUTE[at], QVC_LOWER);
}

// Brings the host's file to the name "QVC_TEMP.TXT". A file under that name is the host's and
// stays where it is, whatever stands beside it. Where neither of the host's names is found, a run
// was stopped between the moves: the records it left at one intermediate name move on; when both
// hold a file, which one is the host's latest cannot be told, and both stay.
static void Normalise()
{
    DropHalfMoves();
    if (OsHasName(QVC_FILE))
        return;
    if (OsHasName(QVC_LOWER)) {
        MoveLower();
        return;
    }
    bool first = OsIsFile(QVC_STEP1), second = OsIsFile(QVC_STEP2);
    if (first != second)
        OsRename(first ? QVC_STEP1 : QVC_STEP2, QVC_FILE);
}

// Decodes the options of the command line, which start with "-" or "/"; other arguments are
// skipped.
static void Options(int argc, char **argv)
{
    for (int i = 1; i < argc; i++)
        if (argv[i][0] == '-' || argv[i][0] == '/')
            opt(argv[i], i + 1 < argc ? argv[i + 1] : nullptr);
    if (isTest == LEVEL_BALLOON)
        ConPrintf(stdout, "#### debug #### \n");
}

// Holds the directory, creates the command file, brings the host's file to its name and opens
// it. One run at a time in a directory; the command file is made anew before anything else, so
// that nothing standing at its name is written through. A run ended by a signal leaves no
// partial command file; a debug run keeps what it wrote.
static void OpenFiles()
{
    if (!OsLock() || !TextOpen(&fpw, QVC_WORK, true, isTest == LEVEL_NONE))
        Stop(STATUS_NOT_OPEN, MSG_OPEN, QVC_WORK);
    NumberOpen();
    Normalise();
    // Only the exact name: where names ignore case, the system would open a "qvc_temp.txt" that
    // a refused rename left behind.
    if (!OsHasName(QVC_FILE) || !TextOpen(&fp, QVC_FILE, false)) {
        TextDiscard(&fpw, QVC_WORK);
        TextDiscard(&fpn, QVC_NEXT_WORK);
        Stop(STATUS_NOT_OPEN, MSG_OPEN, QVC_FILE);
    }
    TextInherit(&fpw, &fp); // the host's file keeps its permissions when it is replaced
}

// Counts the pieces of the host's file up to one past the limit, then goes back to its start:
// the reader's trace shows the count before it reads. Returns the count.
static unsigned CountAhead()
{
    char piece[PIECE];
    while (fp.pieces <= jd_limit && TextGets(piece, sizeof piece, &fp) > 0)
        continue; // the pieces are counted by the stream
    unsigned count = fp.pieces;
    if (fp.err || (count <= jd_limit && !TextRewind(&fp)))
        Fail(STATUS_FAILED, MSG_READ, QVC_FILE);
    return count;
}

// The count of pieces after the reader: what it took, and one more if there is more (the
// stream counts the piece it reads here too).
static unsigned CountTaken()
{
    char piece[PIECE];
    TextGets(piece, sizeof piece, &fp);
    if (fp.err) // a read that failed is no end of file: the host's file stays
        Fail(STATUS_FAILED, MSG_READ, QVC_FILE);
    return fp.pieces;
}

// Draws the balloon, or writes its error line (a refused option's first), then the level's
// trailer and the restore block. Returns what Kobarn1 returns, or the error drawn before it.
static int DrawBalloon(unsigned jd_xmax)
{
    char refused = Refused();
    int  code = refused != 0 ? BALLOON_OPTION : BALLOON_DRAWN;
    if (code == BALLOON_DRAWN && isLABEL >= LABEL_STARTS)
        code = Numbering();
    if (code == BALLOON_DRAWN)
        code = Kobarn1();
    ErrorOut(code, refused);
    if (isTest == LEVEL_BALLOON) {
        ConPrintf(stdout, LINE_TRAILER);
        ConPrintf(stdout, "# jd_xmax= %u stepcnt= %d Error(%d)\n", jd_xmax, stepcnt, code);
    }
    if (isTest == LEVEL_TRAILER)
        TrailerOut(jd_xmax, stepcnt, KYlengTotal);
    IniZokusei();
    return code;
}

// Ends the run: a debug run leaves its command file beside the host's; otherwise the command
// file, on disk first so that a power loss leaves one or the other, replaces the host's file,
// unless the user may not write that, and then the file of numbers of a run that numbered gets
// the label drawn in the same way: it holds a new label only where the host's file holds the
// balloon that carries it. Returns the exit status.
static int Finish(int code)
{
    TextClose(&fp);
    if (isTest != LEVEL_NONE) {
        if (!TextClose(&fpw))
            Stop(STATUS_FAILED, MSG_WRITE, QVC_WORK);
    } else {
        if (code != BALLOON_DRAWN)
            TextDiscard(&fpn, QVC_NEXT_WORK); // an error line numbers nothing
        if (!TextSync(&fpw))
            Fail(STATUS_FAILED, MSG_WRITE, QVC_WORK);
        if (fpn.f != nullptr && !NumberSync())
            Fail(STATUS_FAILED, MSG_WRITE, QVC_NEXT_WORK);
        if (!OsWritable(QVC_FILE)) {
            TextClose(&fpw);
            TextDiscard(&fpn, QVC_NEXT_WORK);
            Stop(STATUS_NOT_OPEN, MSG_OPEN, QVC_FILE);
        }
        if (!TextReplace(&fpw, QVC_WORK, QVC_FILE)) {
            TextDiscard(&fpn, QVC_NEXT_WORK);
            Stop(STATUS_NOT_OPEN, MSG_OPEN, QVC_FILE);
        }
        if (fpn.f != nullptr && !TextReplace(&fpn, QVC_NEXT_WORK, QVC_NEXT))
            Stop(STATUS_NOT_OPEN, MSG_OPEN, QVC_NEXT);
    }
    OsUnlock(); // the next run need not wait for this process to go
    return 0;
}

int Transform(int argc, char **argv)
{
    PAI = 3.141592653589793;
    Options(argc, argv);
    OpenFiles();
    unsigned jd_xmax = 0;
    if (isTest == LEVEL_READER && (jd_xmax = CountAhead()) > jd_limit)
        return Overflow();
    QV_PATTERN(jd_xmax, jd_limit);
    if (isTest != LEVEL_READER && (jd_xmax = CountTaken()) > jd_limit)
        return Overflow();
    return Finish(DrawBalloon(jd_xmax));
}
