// The text layer over binary standard streams, with one buffer per stream.
#include "textio.h"

#include <cstring>

#ifdef _WIN32
#include <windows.h>
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

int TextGets(char *s, int cap, TextFile *t)
{
    int n = 0;
    while (n < cap - 1) {
        if (t->pos == t->len && !Fill(t))
            break;
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
    return n;
}

static void Flush(TextFile *t)
{
    if (t->len > 0 && std::fwrite(t->buf, 1, t->len, t->f) != t->len)
        t->err = true;
    t->len = 0;
}

void TextWrite(TextFile *t, const char *s, size_t n)
{
    for (size_t i = 0; i < n; i++) {
        if (t->len + 2 > sizeof t->buf)
            Flush(t);
        if (s[i] == '\n')
            t->buf[t->len++] = '\r';
        t->buf[t->len++] = s[i];
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

bool FileReplace(const char *source, const char *target)
{
#ifdef _WIN32
    return MoveFileExA(source, target, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
#else
    return std::rename(source, target) == 0;
#endif
}
