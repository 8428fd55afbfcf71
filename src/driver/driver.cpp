// The run of one start: name normalisation, line count and limit, the reader, the balloon,
// the restore block, and the command file replacing the interchange file.
#include "driver.h"

#include "../balloon/balloon.h"
#include "../reader/reader.h"
#include "../state/state.h"
#include "../writer/format.h"
#include "../writer/writer.h"
#include "messages.h"
#include "textio.h"

#include <cstdio>
#include <cstdlib>

void (*BalloonStopHook)(int status) = nullptr;

void Stop(int status, const char *fmt, const char *name)
{
    ConPrintf(stderr, fmt, name);
    if (BalloonStopHook != nullptr)
        BalloonStopHook(status);
    std::exit(status);
}

// Opens source as fp and destination as fpw (created or emptied); a file that cannot be opened
// ends the run with status -1.
static void Topen(const char *source, const char *destination)
{
    if (!TextOpen(&fp, source, false))
        Stop(-1, MSG_OPEN, source);
    if (!TextOpen(&fpw, destination, true))
        Stop(-1, MSG_OPEN, destination);
}

// Ends a run whose interchange file is over the line limit: the command file holds only the
// overflow line, the host's file is left alone. Returns the exit status.
static int Overflow()
{
    TextClose(&fp);
    TextClose(&fpw);
    if (!TextOpen(&fpw, QVC_WORK, true)) // empties what the reader copied
        Stop(1, MSG_OPEN, QVC_WORK);
    TextPrintf(&fpw, LINE_OVERFLOW, jd_limit);
    TextClose(&fpw);
    return 1;
}

// Brings "qvc_temp.txt" to the name "QVC_TEMP.TXT" by way of two intermediate names, replacing
// what an interrupted run left there. A file already under the upper-case name stays where it is
// (where names ignore case, the renames would otherwise move it too, and a run killed between
// them would leave it under an intermediate name). When a rename after the first fails, the
// file goes back to the name the host gave it.
static void Normalise()
{
    if (FileHasName(QVC_FILE) && !FileHasName(QVC_LOWER))
        return;
    if (!FileReplace(QVC_LOWER, QVC_STEP1))
        return;
    const char *at = QVC_STEP1;
    if (FileReplace(QVC_STEP1, QVC_STEP2))
        at = QVC_STEP2;
    if (!FileReplace(at, QVC_FILE))
        FileReplace(at, QVC_LOWER);
}

int Transform(int argc, char **argv)
{
    PAI = 3.141592653589793;
    for (int i = 1; i < argc; i++)
        if (argv[i][0] == '-' || argv[i][0] == '/')
            opt(argv[i]);
    if (isTest == 2)
        ConPrintf(stdout, "#### debug #### \n");

    Normalise();
    Topen(QVC_FILE, QVC_WORK);
    char     piece[255]; // one piece: at most 254 characters and the terminator
    unsigned jd_xmax = 0;
    if (isTest == 3) { // the reader's trace shows the count before it reads: count first
        while (fp.pieces <= jd_limit && TextGets(piece, sizeof piece, &fp) > 0)
            continue; // the pieces are counted by the stream
        jd_xmax = fp.pieces;
        if (jd_xmax > jd_limit)
            return Overflow();
        if (!TextRewind(&fp)) {
            TextClose(&fpw);
            Stop(1, MSG_OPEN, QVC_FILE);
        }
    }
    QV_PATTERN(jd_xmax, jd_limit);
    if (isTest != 3) { // otherwise the count is what the reader took, and one more if there is
        jd_xmax = fp.pieces + (TextGets(piece, sizeof piece, &fp) > 0 ? 1 : 0);
        if (jd_xmax > jd_limit)
            return Overflow();
    }
    int code = Kobarn1();
    if (code == 2)
        TextPrintf(&fpw, LINE_NUMBER);
    else if (code == 1)
        TextPrintf(&fpw, LINE_COUNT);
    if (isTest == 2) {
        ConPrintf(stdout, "# ------------------ main() Pattern1 end file closing "
                          "------------------ \n");
        ConPrintf(stdout, "# jd_xmax= %d stepcnt= %d Error(%d)\n", jd_xmax, stepcnt, code);
    }
    if (isTest == 1) {
        TextPrintf(&fpw, "# ------------------ main() Pattern1 end file closing "
                         "------------------ \n");
        TextPrintf(&fpw, "#    jd_xmax= %d stepcnt= %d KYlengTotal= %.8f\n", jd_xmax, stepcnt,
                   KYlengTotal);
    }
    IniZokusei();
    TextClose(&fp);
    if (!TextClose(&fpw))
        Stop(1, MSG_WRITE, QVC_WORK); // the host's file keeps its records

    if (isTest == 0 && !FileReplace(QVC_WORK, QVC_FILE))
        Stop(-1, MSG_OPEN, QVC_FILE);
    return 0;
}
