// The fixed texts of the tool on the console and its file names; the lines of the command file
// are in writer/lines.h.
#pragma once

#define QVC_LOWER "qvc_temp.txt" // the interchange file under the lower-case name
#define QVC_STEP1 "QVC_x2x2.$$"  // first intermediate name
#define QVC_STEP2 "QVC_x2x2.$$$" // second intermediate name
#define QVC_FILE "QVC_TEMP.TXT"  // the interchange file
#define QVC_WORK "QVC_TEMP.$$$"  // the command file under construction
#define QVC_NEXT "QVC_NEXT.TXT"  // the file of numbers: the last label that a numbering run drew
#define QVC_NEXT_WORK "QVC_NEXT.$$$" // the file of numbers under construction

// The exit statuses: 0 for a run that ended as it should, these for the others
constexpr int STATUS_FAILED = 1;    // a read or write failed, or the file is over the line limit
constexpr int STATUS_NOT_OPEN = -1; // a file cannot be opened or replaced (255 to a POSIX host)

// The messages of a stopped run, each followed by the file's name and " \n" (see Stop)
#define MSG_OPEN "Cannot open file"
#define MSG_WRITE "Cannot write file"
#define MSG_READ "Cannot read file"
#define MSG_OPTION "\n illegal Option.\n"
