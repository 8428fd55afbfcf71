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

// True when the n bytes at s are well-formed UTF-8 (no overlong form, no surrogate, nothing past
// U+10FFFF) with at least one byte past ASCII.
static bool IsUtf8(const char *s, size_t n)
{
    bool wide = false;
    for (size_t i = 0; i < n;) {
        auto   c = static_cast<unsigned char>(s[i]);
        size_t more = c < 0x80                 ? 0
                      : c >= 0xC2 && c <= 0xDF ? 1
                      : c >= 0xE0 && c <= 0xEF ? 2
                      : c >= 0xF0 && c <= 0xF4 ? 3
                                               : 4;
        if (more == 4 || n - i <= more)
            return false;
        auto lo = static_cast<unsigned char>(c == 0xE0 ? 0xA0 : c == 0xF0 ? 0x90 : 0x80);
        auto hi = static_cast<unsigned char>(c == 0xED ? 0x9F : c == 0xF4 ? 0x8F : 0xBF);
        for (size_t k = 1; k <= more; k++) {
            auto t = static_cast<unsigned char>(s[i + k]);
            if (t < (k == 1 ? lo : 0x80) || t > (k == 1 ? hi : 0xBF))
                return false;
        }
        wide = wide || more > 0;
        i += more + 1;
    }
    return wide;
}

// Takes the label of the file of numbers, the n bytes at s, into last: UTF-8 (where the bytes
// are that and not all ASCII) turned into Shift_JIS, then full-width digits and Latin letters as
// half width. False where that is no label.
static bool TakeLast(const char *s, size_t n, char *last)
{
    char   sjis[2 * LABEL_CHARS + 1];
    size_t m = n <= 2 * LABEL_CHARS ? n : 0;
    if (IsUtf8(s, n))
        m = OsUtf8Sjis(s, n, sjis, sizeof sjis - 1);
    else
        std::memcpy(sjis, s, m);
    sjis[m] = '\0';
    LabelHalf(sjis, last);
    return m > 0 && IsLabel(last);
}

// Opens the file of numbers, gives its permissions to the new one, and, where the run reads it,
// takes its label into last: one label as -l takes it (TakeLast), after a byte order mark or
// not, before a line end or not. False when it cannot be opened or read or holds anything else.
static bool ReadLast(char *last)
{
    FILE *f = OsOpenRead(QVC_NEXT);
    if (f == nullptr)
        return false;
    if (fpn.f != nullptr)
        OsInherit(fpn.f, f);
    char   buf[4 * LABEL_CHARS + 8]; // more than any label with a mark and a line end
    size_t n = 0, got = 1;
    bool   read = true;
    while (isLABEL >= LABEL_NEXT && read && got > 0 && n < sizeof buf)
        if ((read = OsRead(f, buf + n, sizeof buf - n, got)))
            n += got;
    OsClose(f); // only read: a failed close loses nothing
    size_t at = n >= 3 && std::memcmp(buf, BOM, 3) == 0 ? 3 : 0, end = n;
    if (end > at && buf[end - 1] == '\n')
        end -= end - 1 > at && buf[end - 2] == '\r' ? 2 : 1;
    if (!read || n == sizeof buf || std::memchr(buf + at, '\0', end - at) != nullptr)
        return false;
    return isLABEL < LABEL_NEXT || TakeLast(buf + at, end - at, last);
}

void NumberOpen()
{
    bool writes =
        isLABEL >= LABEL_STARTS && (isLABEL != LABEL_AGAIN || iJOIN > 0) && Refused() == 0;
    if (isTest == LEVEL_NONE && writes && !TextOpen(&fpn, QVC_NEXT_WORK, true, true))
        Fail(STATUS_NOT_OPEN, MSG_OPEN, QVC_NEXT_WORK);
}

int Numbering()
{
    bool again = isLABEL == LABEL_AGAIN; // draws the label of the file, which stays as it is
    char last[2 * LABEL_CHARS + 1] = "";
    int  taken = OsTaken(QVC_NEXT); // where names ignore case, in any case
    bool there = taken != 0;
    if (taken < 0 || (again && !there) ||
        (there && !(OsIsFile(QVC_NEXT, true) && OsWritable(QVC_NEXT) && ReadLast(last))))
        return BALLOON_NUMBERS;
    if (again)
        std::strcpy(LABEL.data(), last);
    else if (isLABEL == LABEL_NEXT && !there)
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
    const char *label = iJOIN > 0 ? JOIN[static_cast<size_t>(iJOIN - 1)].data() : LABEL.data();
    char        utf8[4 * LABEL_CHARS + 4] = BOM; // a label past ASCII reads back as itself so
    size_t      n = 3, k = 1;
    bool        ascii = true;
    for (const char *s = label; *s != '\0'; s++)
        ascii = ascii && static_cast<unsigned char>(*s) < 0x80;
    // An ASCII label is written as it is, without loading the converter.
    for (const char *s = label; !ascii && *s != '\0' && n > 0; s += k) {
        k = IsLead(*s) ? 2 : 1;
        size_t m = OsSjisUtf8(s, k, utf8 + n);
        n = m > 0 ? n + m : 0; // a character without a UTF-8 form: the Shift_JIS bytes as given
    }
    if (ascii || n == 0)
        TextWriteLine(&fpn, label, std::strlen(label));
    else
        TextWriteLine(&fpn, utf8, n);
    return TextSync(&fpn);
}
