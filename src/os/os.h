// What differs between the operating systems: opening, creating, holding, syncing, replacing
// and removing the tool's files, and the standard streams at start. posix.cpp and win32.cpp
// each implement all of it; the build compiles the one of its platform.
#pragma once

#include <cstdio>

// Prepares the process: the standard streams write their bytes unchanged, a stream closed by
// the caller is opened on the null device (so that no file the tool opens later receives
// traces), the events of OsGuard are caught, and a file-size limit is a write error, not the end
// of the process. False when that is not possible.
bool OsStart();

// Guards the file that OsCreate creates as name until OsUnguard(name): an event that ends the
// process (POSIX: SIGTERM, SIGINT, SIGHUP; Windows: Ctrl+C, Ctrl+Break, closing the console)
// removes it first, then the process ends as the event would have. POSIX guards the name from
// this call on (the run holds the directory: nothing else comes there), Windows the file from
// its creation, through its handle; OsReplace and OsDiscard end the guard where they must. Two
// files at most are guarded at a time: the command file and the file of numbers.
void OsGuard(const char *name);
void OsUnguard(FILE *f, const char *name);

// The fault seam: true when this call of the floor, of the kind op ("open", "create",
// "remove", "lock", "read", "write", "sync", "rename", "close"), is to fail as a full disk, a
// held file or a lost device fails it. The tool's own seam (seam.cpp) never fails one; the
// tests build the tool once more with a seam that fails a chosen call (tests/faultseam.cpp).
bool OsFault(const char *op);

// Reads up to n bytes of f into buf and their number into got (0 at the end of the file);
// false on a read error.
bool OsRead(FILE *f, char *buf, size_t n, size_t &got);

// Writes the n bytes at buf to f; false unless all of them were written.
bool OsWrite(FILE *f, const char *buf, size_t n);

// Closes f; false when that failed (what was written may not have reached the file).
bool OsClose(FILE *f);

// Opens name for reading in binary; nullptr unless it is a regular file that could be opened.
FILE *OsOpenRead(const char *name);

// Removes whatever stands at name (a link, a FIFO, a file with other names) and creates a new
// file there exclusively for writing in binary, so that nothing is written through it; on
// Windows others cannot delete or rename it while it is open. nullptr on failure.
FILE *OsCreate(const char *name);

// Holds the working directory for this process until it ends or OsUnlock, waiting up to two
// seconds while another run holds it; false when that run holds it longer.
bool OsLock();
void OsUnlock();

// Gives the file to the permission bits of the file from, and its owner and group where this
// process may set them; nothing on Windows.
void OsInherit(FILE *to, FILE *from);

// Empties a file open for writing and goes back to its start; false when that failed.
bool OsEmpty(FILE *f);

// Brings what was written to f to stable storage; false when that failed.
bool OsSync(FILE *f);

// Renames the file f, created as name, over target in one step and brings the new name to
// stable storage; false when the rename failed. f stays open.
bool OsReplace(FILE *f, const char *name, const char *target);

// Closes the file f, created as name, and removes it.
void OsDiscard(FILE *f, const char *name);

// True when an entry of exactly this name, letter case included, exists (a link counts).
bool OsHasName(const char *name);

// True when name is a regular file itself, of exactly that name: not a directory, a link, a
// device or (unless anyCase, where names ignore case) an entry whose name differs in case only.
bool OsIsFile(const char *name, bool anyCase = false);

// 1 when any entry stands at name, as the system finds names (on Windows in any case), a
// dangling link included; 0 when the system says there is no such file; -1 when the check
// failed otherwise (an I/O error, a share's timeout) and it cannot be told.
int OsTaken(const char *name);

// True when a and b are both names of one regular file itself (OsIsFile), which has more than
// one name: not two files of equal bytes, nor one name found under another case.
bool OsSameFile(const char *a, const char *b);

// Removes the entry name itself, never what a link points at; true when nothing stands there
// afterwards (on Windows: or its removal is pending until another program closes it).
bool OsRemove(const char *name);

// True when this process may write the file name (the read-only attribute on Windows).
bool OsWritable(const char *name);

// Moves the regular file source itself (as OsIsFile tells) to the name target, which it never
// replaces, whatever stands there: a dangling link or a link loop included; false when source
// is no such file, target is taken or the move failed.
bool OsRename(const char *source, const char *target);

// Encodes the n bytes of UTF-8 at s into Shift_JIS (code page 932) at out, at most room bytes;
// returns the bytes written, 0 when a character has no Shift_JIS form or they do not fit.
size_t OsUtf8Sjis(const char *s, size_t n, char *out, size_t room);

// Decodes the one Shift_JIS character (code page 932) of n bytes at s into UTF-8 at out (4 bytes
// at least); returns the bytes written, 0 when the system cannot decode it.
size_t OsSjisUtf8(const char *s, size_t n, char *out);
