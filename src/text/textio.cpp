// The text layer over binary streams, with one buffer per stream; what differs between the
// platforms is in os.h.
#include "text/textio.h"

#include "os/os.h"

#include <algorithm>
#include <cstring>

// Starts a stream on f; false (and nothing open) when f is nullptr.
static bool Start(TextFile *t, FILE *f, bool writing)
{
    t->f = f;
    t->writing = writing;
    t->eof = false;
    t->err = false;
    t->guarded = false;
    t->pos = 0;
    t->len = 0;
    t->pieces = 0;
    if (f == nullptr)
        return false;
    std::setvbuf(f, nullptr, _IONBF, 0); // our buffer is the only one
    return true;
}

bool TextOpen(TextFile *t, const char *name, bool writing, bool guarded)
{
    if (guarded)
        OsGuard(name);
    bool opened = Start(t, writing ? OsCreate(name) : OsOpenRead(name), writing);
    t->name = name;
    t->guarded = guarded && opened;
    if (guarded && !opened)
        OsUnguard(nullptr, name);
    return opened;
}

// Refills the read buffer; false at end of file or on error.
static bool Fill(TextFile *t)
{
    if (t->eof || t->err)
        return false;
    size_t got = 0;
    t->err = !OsRead(t->f, t->buf, sizeof t->buf, got);
    t->pos = 0;
    t->len = got;
    t->eof = !t->err && got == 0;
    return got > 0;
}

// The first CR or LF among the n bytes at p, or nullptr.
static const char *LineEnd(const char *p, size_t n)
{
    const char *lf = static_cast<const char *>(std::memchr(p, '\n', n));
    const char *cr =
        static_cast<const char *>(std::memchr(p, '\r', lf ? static_cast<size_t>(lf - p) : n));
    return cr ? cr : lf;
}

bool IsLead(char c)
{
    auto b = static_cast<unsigned char>(c);
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

// The length of the n bytes at s that a piece cut there keeps: n, or n - 1 where the last byte
// begins a double-byte character (counted from s, each lead byte taking the byte after it).
static size_t WholeCharacters(const char *s, size_t n)
{
    size_t i = 0;
    while (i + 1 < n)
        i += IsLead(s[i]) ? 2u : 1u;
    return i == n - 1 && IsLead(s[i]) ? n - 1 : n;
}

size_t TextGets(char *s, size_t cap, TextFile *t)
{
    size_t n = 0, room = cap - 1;
    while (n < room) {
        if (t->pos == t->len && !Fill(t))
            break;
        const char *p = t->buf + t->pos;
        size_t      k = std::min(room - n, t->len - t->pos);
        const char *e = LineEnd(p, k);
        size_t      m = e ? static_cast<size_t>(e - p) : k;
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
    if (n == room && n > 0 && s[n - 1] != '\n') { // cut short: the next piece goes on from here
        size_t kept = WholeCharacters(s, n);
        t->pos -= n - kept; // the lead byte is the last one taken from the buffer
        n = kept;
    }
    s[n] = '\0';
    t->pieces += n > 0 ? 1 : 0;
    return n;
}

size_t TextPiece(TextFile *t, const char **s, char *spare)
{
    char       *p = t->buf + t->pos;
    const char *e = LineEnd(p, std::min(t->len - t->pos, PIECE - 1));
    if (e == nullptr || (*e == '\r' && (e + 1 == t->buf + t->len || e[1] != '\n'))) {
        // not whole here, or a lone CR, which stays in the piece
        *s = spare;
        return TextGets(spare, PIECE, t);
    }
    size_t n = static_cast<size_t>(e - p) + 1;
    t->pos += n;
    if (*e == '\r') { // CR LF is one line end
        p[n - 1] = '\n';
        t->pos++;
    }
    t->pieces++;
    *s = p;
    return n;
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
    if (t->len > 0 && !OsWrite(t->f, t->buf, t->len))
        t->err = true;
    t->len = 0;
}

// Appends the n bytes at s as they are, writing the buffer out whenever it is full.
static void Append(TextFile *t, const char *s, size_t n)
{
    while (n > 0) {
        if (t->len == sizeof t->buf)
            Flush(t);
        size_t k = std::min(n, sizeof t->buf - t->len);
        std::memcpy(t->buf + t->len, s, k);
        t->len += k;
        s += k;
        n -= k;
    }
}

void TextWrite(TextFile *t, const char *s, size_t n)
{
    for (const char *end = s + n; s < end;) {
        size_t      left = static_cast<size_t>(end - s);
        const char *lf = static_cast<const char *>(std::memchr(s, '\n', left));
        if (lf == nullptr) {
            Append(t, s, left);
            break;
        }
        TextWriteLine(t, s, static_cast<size_t>(lf - s));
        s = lf + 1;
    }
}

void TextWriteLine(TextFile *t, const char *s, size_t n)
{
    Append(t, s, n);
    Append(t, "\r\n", 2);
}

bool TextEmpty(TextFile *t)
{
    t->len = 0;
    t->err = !OsEmpty(t->f);
    return !t->err;
}

void TextInherit(TextFile *t, const TextFile *from)
{
    OsInherit(t->f, from->f);
}

// Ends the guard of a file created guarded.
static void Unguard(TextFile *t)
{
    if (t->guarded)
        OsUnguard(t->f, t->name);
    t->guarded = false;
}

bool TextClose(TextFile *t)
{
    if (t->f == nullptr)
        return true;
    Unguard(t);
    if (t->writing)
        Flush(t);
    if (!OsClose(t->f))
        t->err = true;
    t->f = nullptr;
    return !t->err;
}

bool TextFlush(TextFile *t)
{
    Flush(t);
    return !t->err;
}

bool TextSync(TextFile *t)
{
    Flush(t);
    if (!OsSync(t->f))
        t->err = true;
    return !t->err;
}

bool TextReplace(TextFile *t, const char *name, const char *target)
{
    bool moved = OsReplace(t->f, name, target); // on POSIX guarded until the name is gone
    TextClose(t);
    return moved;
}

void TextDiscard(TextFile *t, const char *name)
{
    if (t->f == nullptr)
        return;
    t->len = 0;
    OsDiscard(t->f, name);
    t->f = nullptr; // closed: the guard of the name ends after its removal
    Unguard(t);
}
