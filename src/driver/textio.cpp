// The text layer over binary standard streams, with one buffer per stream.
#include "textio.h"

#include <algorithm>
#include <cstring>

#ifdef _WIN32
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#else
#include <unistd.h>
#endif

static bool Fill(TextFile *t);

bool TextOpen(TextFile *t, const char *name, bool writing)
{
    t->f = std::fopen(name, writing ? "wb" : "rb");
    t->writing = writing;
    t->eof = false;
    t->err = false;
    t->pos = 0;
    t->len = 0;
    t->pieces = 0;
    if (t->f == nullptr)
        return false;
    std::setvbuf(t->f, nullptr, _IONBF, 0); // our buffer is the only one
    if (!writing && !Fill(t) && t->err) {   // a directory, for one, opens but cannot be read
        std::fclose(t->f);
        t->f = nullptr;
        return false;
    }
    return true;
}

// Refills the read buffer; false at end of file or on error.
static bool Fill(TextFile *t)
{
    if (t->eof || t->err)
        return false;
    t->pos = 0;
    t->len = std::fread(t->buf, 1, sizeof t->buf, t->f);
    if (t->len == 0) {
        if (std::ferror(t->f))
            t->err = true;
        else
            t->eof = true;
        return false;
    }
    return true;
}

// The first CR or LF among the n bytes at p, or nullptr.
static const char *LineEnd(const char *p, size_t n)
{
    const char *lf = static_cast<const char *>(std::memchr(p, '\n', n));
    const char *cr = static_cast<const char *>(std::memchr(p, '\r', lf ? lf - p : n));
    return cr ? cr : lf;
}

int TextGets(char *s, int cap, TextFile *t)
{
    size_t n = 0, room = cap - 1;
    while (n < room) {
        if (t->pos == t->len && !Fill(t))
            break;
        const char *p = t->buf + t->pos;
        size_t      k = std::min(room - n, t->len - t->pos);
        const char *e = LineEnd(p, k);
        size_t      m = e ? e - p : k;
        std::memcpy(s + n, p, m);
        n += m;
        t->pos += m;
        if (e == nullptr)
            continue;
        char c = t->buf[t->pos++];
        if (c == '\r' && (t->pos < t->len || Fill(t)) && t->buf[t->pos] == '\n') {
            c = '\n'; // CR LF is one line end
            t->pos++;
        }
        s[n++] = c;
        if (c == '\n')
            break;
    }
    s[n] = '\0';
    t->pieces += n > 0 ? 1 : 0;
    return static_cast<int>(n);
}

bool TextRewind(TextFile *t)
{
    t->pos = t->len = 0;
    t->pieces = 0;
    t->eof = false;
    if (std::fseek(t->f, 0, SEEK_SET) != 0)
        t->err = true;
    return !t->err;
}

static void Flush(TextFile *t)
{
    if (t->len > 0 && std::fwrite(t->buf, 1, t->len, t->f) != t->len)
        t->err = true;
    t->len = 0;
}

void TextWrite(TextFile *t, const char *s, size_t n)
{
    while (n > 0) {
        if (t->len + 2 >= sizeof t->buf) // room for at least one byte and a CR LF
            Flush(t);
        size_t      k = std::min(n, sizeof t->buf - t->len - 2);
        const char *lf = static_cast<const char *>(std::memchr(s, '\n', k));
        size_t      m = lf ? lf - s : k;
        std::memcpy(t->buf + t->len, s, m);
        t->len += m;
        if (lf != nullptr) {
            t->buf[t->len++] = '\r';
            t->buf[t->len++] = '\n';
            m++;
        }
        s += m;
        n -= m;
    }
}

bool TextClose(TextFile *t)
{
    if (t->f == nullptr)
        return true;
    if (t->writing)
        Flush(t);
    if (std::fclose(t->f) != 0)
        t->err = true;
    t->f = nullptr;
    return !t->err;
}

bool FileHasName(const char *name)
{
#ifdef _WIN32
    WIN32_FIND_DATAA found;
    HANDLE           h = FindFirstFileA(name, &found);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    FindClose(h);
    return std::strcmp(found.cFileName, name) == 0;
#else
    return access(name, F_OK) == 0;
#endif
}

bool FileReplace(const char *source, const char *target)
{
#ifdef _WIN32
    return MoveFileExA(source, target, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
#else
    return std::rename(source, target) == 0;
#endif
}
