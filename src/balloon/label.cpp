// The label's text, as the options give it, as it is drawn, and as the numbering counts it on.
#include "balloon/label.h"

#include "state/state.h"
#include "text/textio.h"

#include <cstring>

// The bytes of the label character at s: 1 for printable ASCII but the double quote and for
// half-width katakana, 2 for a Shift_JIS double-byte character with its trail byte; 0 for
// anything else.
static size_t LabelChar(const char *s)
{
    auto c = static_cast<unsigned char>(s[0]), t = static_cast<unsigned char>(s[1]);
    if ((c >= 0x21 && c <= 0x7E && c != '"') || (c >= 0xA1 && c <= 0xDF))
        return 1;
    return IsLead(s[0]) && ((t >= 0x40 && t <= 0x7E) || (t >= 0x80 && t <= 0xFC)) ? 2 : 0;
}

bool IsLabel(const char *s)
{
    int chars = 0;
    for (size_t k = 0; *s != '\0'; s += k, chars++)
        if (chars == LABEL_CHARS || (k = LabelChar(s)) == 0)
            return false;
    return chars > 0;
}

int LabelChars(const char *text)
{
    int chars = 0;
    for (const char *s = text; *s != '\0'; s += IsLead(*s) ? 2 : 1)
        chars++;
    return chars;
}

void LabelText(const char *s, char *out)
{
    while (*s != '\0') {
        char c = *s;
        bool digit = c >= '0' && c <= '9', upper = c >= 'A' && c <= 'Z',
             lower = c >= 'a' && c <= 'z';
        if (isZEN == 1 &&
            (digit || upper || lower)) { // 0x82 0x4F "0", 0x82 0x60 "A", 0x82 0x81 "a"
            *out++ = '\x82';
            *out++ = static_cast<char>(digit   ? 0x4F + c - '0'
                                       : upper ? 0x60 + c - 'A'
                                               : 0x81 + c - 'a');
            s++;
        } else {
            int n = IsLead(c) ? 2 : 1;
            while (n-- > 0)
                *out++ = *s++;
        }
    }
    *out = '\0';
}

void LabelHalf(const char *s, char *out)
{
    while (*s != '\0') {
        auto t = static_cast<unsigned char>(s[1]); // 0x82 0x4F "0", 0x82 0x60 "A", 0x82 0x81 "a"
        bool digit = t >= 0x4F && t <= 0x58, upper = t >= 0x60 && t <= 0x79,
             lower = t >= 0x81 && t <= 0x9A;
        if (*s == '\x82' && (digit || upper || lower)) {
            *out++ = static_cast<char>(digit   ? '0' + t - 0x4F
                                       : upper ? 'A' + t - 0x60
                                               : 'a' + t - 0x81);
            s += 2;
        } else {
            int n = IsLead(*s) && s[1] != '\0' ? 2 : 1;
            while (n-- > 0)
                *out++ = *s++;
        }
    }
    *out = '\0';
}

// What counts on in a label: 1 an ASCII digit, 2 an upper-case and 3 a lower-case ASCII letter;
// 0 anything else.
static int Kind(char c)
{
    return c >= '0' && c <= '9' ? 1 : c >= 'A' && c <= 'Z' ? 2 : c >= 'a' && c <= 'z' ? 3 : 0;
}

bool NextLabel(const char *label, char *next)
{
    size_t n = 0, run = 0; // run: where the last run of characters of one kind begins
    int    kind = 0, chars = 0;
    for (; label[n] != '\0'; chars++) {
        bool wide = IsLead(label[n]); // its trail byte may look like a letter, and is none
        int  k = wide ? 0 : Kind(label[n]);
        if (k != kind || k == 0)
            run = n;
        kind = k;
        n += wide ? 2 : 1;
    }
    if (kind == 0)
        return false;
    char first = kind == 1   ? '0'
                 : kind == 2 ? 'A'
                             : 'a',
         top = kind == 1 ? '9' : static_cast<char>(first + 25);
    std::memcpy(next, label, n + 1);
    size_t i = n;
    while (i > run && next[i - 1] == top) // carried on to the left
        next[--i] = first;
    if (i > run) {
        next[i - 1]++;
        return true;
    }
    if (chars == LABEL_CHARS)
        return false; // the run would grow past the longest label
    std::memmove(next + run + 1, next + run, n - run + 1);
    next[run] = kind == 1 ? '1' : first; // "9" to "10", "Z" to "AA"
    return true;
}
