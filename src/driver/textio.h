// The text layer: every file of the tool is read and written through it, on every platform.
// Reading turns CR LF into one line end (a lone CR or LF stays); writing turns each line end
// into CR LF. The same input therefore gives the same output bytes everywhere.
#pragma once

#include <cstddef>
#include <cstdio>

// A file opened through the text layer: CR LF read as one line end, line end written as CR LF.
struct TextFile {
    FILE    *f;            // nullptr while closed
    bool     writing;      // opened for writing
    bool     eof;          // a read reached the end of the file
    bool     err;          // a read, write or close failed
    unsigned pieces;       // reading: pieces that TextGets returned
    size_t   pos;          // reading: next byte of buf
    size_t   len;          // reading: bytes in buf; writing: bytes waiting in buf
    char     buf[1 << 16]; // the only buffer of the stream
};

// Opens name for reading, or for writing (created or emptied); false when it cannot be opened.
bool TextOpen(TextFile *t, const char *name, bool writing);

// Reads the next piece: the characters up to and including the next line end, at most cap - 1
// of them, NUL-terminated. Returns the number of characters read; 0 at end of file or on error.
int TextGets(char *s, int cap, TextFile *t);

// Goes back to the start of a file opened for reading; false when that is not possible.
bool TextRewind(TextFile *t);

// Appends n bytes, each line end as CR LF. A failure is kept in t->err and reported by TextClose.
void TextWrite(TextFile *t, const char *s, size_t n);

// Flushes and closes; false when any write, the flush or the close failed. Closed files pass.
bool TextClose(TextFile *t);

// True when a file of exactly this name, letter case included, exists.
bool FileHasName(const char *name);

// Replaces target by source in one step (on Windows a replacing move); false when it failed.
bool FileReplace(const char *source, const char *target);
