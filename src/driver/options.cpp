// The option decoder: one argument, one letter, one option variable, as the table says.
#include "driver/driver.h"
#include "driver/messages.h"
#include "state/state.h"
#include "text/format.h"
#include "text/scan.h"
#include "text/textio.h"

#include <cstring>

namespace
{

// How an option takes its value.
enum Take {
    REMAINDER, // an integer's remainder by a divisor, plus a number
    DECIMAL,   // a decimal number, into moji_offset
    TEXT,      // 1 to LABEL_CHARS label characters
    DIGIT,     // one digit from the least to the greatest
    LEVEL,     // the debug level: 0 first, then one digit 1 to 6
    ACCEPTED,  // any value or none, without effect
};

// One option letter: how it takes its value and where it puts it.
struct Option {
    char        letter;
    Take        take;
    int        *var;    // the variable set; TEXT: 1 once a text is taken
    int         a, b;   // REMAINDER: divisor and what is added; DIGIT: least and greatest digit
    int        *clears; // set to 0 with var: a label number ends a label text
    LabelBytes *text;   // TEXT: where the text goes
    bool        bare;   // taken without a value too: -t sets level 0, -f, -q and -r refuse it
};

// Every option letter; a letter not here prints the illegal-option message. An option without a
// value changes nothing, unless it is taken bare.
const Option OPTIONS[] = {
    {'a', REMAINDER, &isNUM,   10, 9,           &isLABEL, nullptr, false},
    {'b', REMAINDER, &wSCLR,   10, 0,           nullptr,  nullptr, false},
    {'c', REMAINDER, &wCN,     10, 0,           nullptr,  nullptr, false},
    {'d', DECIMAL,   nullptr,  0,  0,           nullptr,  nullptr, false},
    {'e', ACCEPTED,  nullptr,  0,  0,           nullptr,  nullptr, false},
    {'f', DIGIT,     &wFRM,    0,  FRAMES - 1,  nullptr,  nullptr, true },
    {'h', REMAINDER, &isZEN,   2,  0,           nullptr,  nullptr, false},
    {'l', TEXT,      &isLABEL, 0,  0,           nullptr,  &LABEL,  false},
    {'m', ACCEPTED,  nullptr,  0,  0,           nullptr,  nullptr, false},
    {'n', REMAINDER, &isNUM,   10, 0,           &isLABEL, nullptr, false},
    {'p', REMAINDER, &isTEN,   2,  0,           nullptr,  nullptr, false},
    {'q', TEXT,      &isQTY,   0,  0,           nullptr,  &QTY,    true },
    {'r', DIGIT,     &wSIZE,   1,  LABEL_CHARS, nullptr,  nullptr, true },
    {'s', ACCEPTED,  nullptr,  0,  0,           nullptr,  nullptr, false},
    {'t', LEVEL,     nullptr,  0,  0,           nullptr,  nullptr, true },
    {'u', ACCEPTED,  nullptr,  0,  0,           nullptr,  nullptr, false},
    {'w', ACCEPTED,  nullptr,  0,  0,           nullptr,  nullptr, false},
    {'y', REMAINDER, &isYA,    2,  0,           nullptr,  nullptr, false},
};

// Remainder of n by m truncating toward zero, as C's % does; n may be INT_MIN.
int Rem(int n, int m)
{
    return static_cast<int>(static_cast<long long>(n) % m);
}

// The bytes of the label character at s: 1 for printable ASCII but the double quote (which
// would end the host's text) and for half-width katakana, 2 for a Shift_JIS double-byte
// character with its trail byte; 0 for anything else.
size_t LabelChar(const char *s)
{
    auto c = static_cast<unsigned char>(s[0]), t = static_cast<unsigned char>(s[1]);
    if ((c >= 0x21 && c <= 0x7E && c != '"') || (c >= 0xA1 && c <= 0xDF))
        return 1;
    return IsLead(s[0]) && ((t >= 0x40 && t <= 0x7E) || (t >= 0x80 && t <= 0xFC)) ? 2 : 0;
}

// Takes value as the option's text when it is 1 to LABEL_CHARS label characters; false,
// changing nothing, otherwise.
bool TakeText(const Option &o, const char *value)
{
    size_t n = 0, k = 0;
    for (int chars = 0; value[n] != '\0'; n += k, chars++)
        if (chars == LABEL_CHARS || (k = LabelChar(value + n)) == 0)
            return false;
    if (n == 0)
        return false; // an empty text is no label
    std::memcpy(o.text->data(), value, n + 1);
    *o.var = 1;
    return true;
}

// Sets the option's variable from value; false, changing nothing, for a value that it refuses.
bool TakeValue(const Option &o, const char *value)
{
    switch (o.take) {
    case REMAINDER:
        *o.var = Rem(ReadInt(value), o.a) + o.b;
        if (o.clears != nullptr)
            *o.clears = 0;
        return true;
    case DECIMAL:
        moji_offset = ReadDouble(value);
        return true;
    case TEXT:
        return TakeText(o, value);
    case DIGIT:
        if (value[0] < '0' + o.a || value[0] > '0' + o.b || value[1] != '\0')
            return false;
        *o.var = value[0] - '0';
        return true;
    case LEVEL: // a first character 1 to 6; characters after it do not count
        isTest = value[0] >= '1' && value[0] <= '6' ? value[0] - '0' : LEVEL_NONE;
        return true;
    case ACCEPTED:
        return true;
    }
    return true;
}

} // namespace

// Decodes argument: letter in character 2, either case; value from character 3, if any.
void opt(char *argument)
{
    char        letter = argument[0] != '\0' ? argument[1] : '\0';
    const char *value = letter != '\0' ? argument + 2 : "";
    if (letter >= 'A' && letter <= 'Z')
        letter = static_cast<char>(letter - 'A' + 'a');
    const Option *o = nullptr;
    for (const Option &each : OPTIONS)
        if (each.letter == letter)
            o = &each;
    bool has = value[0] != '\0'; // without one, only an option taken bare does anything
    if (o == nullptr || ((has || o->bare) && !TakeValue(*o, value)))
        ConPrintf(stderr, MSG_OPTION);
    if (isTest >= LEVEL_READER) { // the options are echoed from the reader's level on
        ConPrintf(stdout, "# --- command line option ---------------\n");
        ConPrintf(stdout, "# --- wLC1=(%d)/(1--9)  wLC2=(%d)/(1--9)  wCN=(%d)/(0--9)\n", wLC1, wLC2,
                  wCN);
    }
}
