// The text layer: every file of the tool is read and written through it, on every platform.
// Reading turns CR LF into one line end (a lone CR or LF stays); writing turns each line end
// into CR LF. The same input therefore gives the same output bytes everywhere.
#pragma once

#include <cstddef>
#include <cstdio>

constexpr size_t PIECE = 255; // one piece of a line: at most 254 characters and the terminator

// A file opened through the text layer: CR LF read as one line end, line end written as CR LF.
struct TextFile {
    FILE       *f;            // nullptr while closed
    const char *name;         // the name it was opened or created as
    bool        writing;      // opened for writing
    bool        eof;          // a read reached the end of the file
    bool        err;          // a read, write or close failed
    bool        guarded;      // removed by a signal that ends the process (OsGuard)
    unsigned    pieces;       // reading: pieces that TextGets returned
    size_t      pos;          // reading: next byte of buf
    size_t      len;          // reading: bytes in buf; writing: bytes waiting in buf
    char        buf[1 << 16]; // the only buffer of the stream
};

// Opens name for reading, or creates it anew for writing (OsOpenRead, OsCreate); false when
// that is not possible. A file created guarded is removed by a signal or console event that ends
// the process before the file is closed, replaced or discarded (OsGuard).
bool TextOpen(TextFile *t, const char *name, bool writing, bool guarded = false);

// True when the byte c begins a Shift_JIS double-byte character (0x81-0x9F, 0xE0-0xFC).
bool IsLead(char c);

// Reads the next piece: the characters up to and including the next line end, at most cap - 1
// of them, NUL-terminated. A piece cut short of its line end never ends in the first byte of a
// Shift_JIS double-byte character: that byte begins the next piece. Returns the number of
// characters read; 0 at end of file or on error (t->err tells which).
size_t TextGets(char *s, size_t cap, TextFile *t);

// Reads the next piece as TextGets does, in place where it lies whole in the stream's buffer,
// otherwise into spare (PIECE bytes): *s points at its characters, not NUL-terminated, until the
// next read of t. Returns their number; 0 at end of file or on error.
size_t TextPiece(TextFile *t, const char **s, char *spare);

// Goes back to the start of a file opened for reading; false when that is not possible.
bool TextRewind(TextFile *t);

// Appends n bytes, each line end as CR LF. A failure is kept in t->err and reported later.
void TextWrite(TextFile *t, const char *s, size_t n);

// Appends the n bytes at s, which hold no line end, and a line end (CR LF).
void TextWriteLine(TextFile *t, const char *s, size_t n);

// Drops everything written so far, a write of it that failed included; false when the file
// cannot be emptied.
bool TextEmpty(TextFile *t);

// Gives a file created for writing the permissions of the file that from reads (OsInherit).
void TextInherit(TextFile *t, const TextFile *from);

// Writes out what waits in the buffer; false when any write so far failed.
bool TextFlush(TextFile *t);

// Writes out what waits in the buffer and brings the file to stable storage; false when any
// write so far or the sync failed.
bool TextSync(TextFile *t);

// Renames the synced file t, created as name, over target in one step and closes it; false
// when the rename failed (t is closed all the same, name keeps the bytes).
bool TextReplace(TextFile *t, const char *name, const char *target);

// Closes a file created as name and removes it.
void TextDiscard(TextFile *t, const char *name);

// Flushes and closes; false when any write, the flush or the close failed. Closed files pass.
bool TextClose(TextFile *t);
