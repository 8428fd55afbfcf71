// The option decoder: one argument, one letter, one option variable, as the table says.
#include "balloon/label.h"
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
    DIAMETER,  // digits with at most one decimal point, above 0 and at most MOST_DIAMETER, into
               // wDIAM
    STACKED,   // one more balloon in the stack: a label, or none for the next one; JOINS at most
    ACCEPTED,  // any value or none, without effect
};

// One option letter: how it takes its value and where it puts it.
struct Option {
    char letter;
    Take take;
    int *var;           // the variable set
    int  a, b;          // REMAINDER: divisor and what is added; DIGIT: least and greatest digit;
                        // TEXT: var once a text is taken, and once the option stands bare (0: no)
    int        *clears; // set to 0 with var: a label number ends a label text and the numbering
    LabelBytes *text;   // TEXT: where the text goes
    bool        bare; // taken without a value too: -t sets level 0, -i numbers on; -f, -k, -q, -r,
                      // -x and -z refuse it
    int group;        // the group of options whose refused value the drawing shows; NONE
};

constexpr int    NONE = -1;              // an option whose every value is taken: no group
constexpr double MOST_DIAMETER = 1000.0; // the largest diameter of option -z
constexpr char   AGAIN[] = "=";          // the value of -i that draws the last label again

// Every option letter; a letter not here prints the illegal-option message. An option without a
// value changes nothing, unless it is taken bare. The last of -a, -n, -l and -i decides the
// label, and so whether a value of one of them refused is shown.
const Option OPTIONS[] = {
    {'a', REMAINDER, &isNUM,   10,           9,          &isLABEL, nullptr, false, 0   },
    {'b', REMAINDER, &wSCLR,   10,           0,          nullptr,  nullptr, false, NONE},
    {'c', REMAINDER, &wCN,     10,           0,          nullptr,  nullptr, false, NONE},
    {'d', DECIMAL,   nullptr,  0,            0,          nullptr,  nullptr, false, NONE},
    {'e', ACCEPTED,  nullptr,  0,            0,          nullptr,  nullptr, false, NONE},
    {'f', DIGIT,     &wFRM,    0,            FRAMES - 1, nullptr,  nullptr, true,  1   },
    {'g', DIGIT,     &wLEAD,   0,            LEAD_BENT,  nullptr,  nullptr, true,  9   },
    {'h', REMAINDER, &isZEN,   2,            0,          nullptr,  nullptr, false, NONE},
    {'i', TEXT,      &isLABEL, LABEL_STARTS, LABEL_NEXT, nullptr,  &LABEL,  true,  0   },
    {'j', STACKED,   &iJOIN,   0,            0,          nullptr,  nullptr, true,  7   },
    {'k', DIGIT,     &wEND,    0,            ENDS - 1,   nullptr,  nullptr, true,  5   },
    {'l', TEXT,      &isLABEL, LABEL_GIVEN,  0,          nullptr,  &LABEL,  false, 0   },
    {'m', ACCEPTED,  nullptr,  0,            0,          nullptr,  nullptr, false, NONE},
    {'n', REMAINDER, &isNUM,   10,           0,          &isLABEL, nullptr, false, 0   },
    {'o', DIGIT,     &wORIENT, 0,            1,          nullptr,  nullptr, true,  8   },
    {'p', REMAINDER, &isTEN,   2,            0,          nullptr,  nullptr, false, NONE},
    {'q', TEXT,      &isQTY,   1,            0,          nullptr,  &QTY,    true,  2   },
    {'r', DIGIT,     &wSIZE,   1,            SIZE_CHARS, nullptr,  nullptr, true,  3   },
    {'s', ACCEPTED,  nullptr,  0,            0,          nullptr,  nullptr, false, NONE},
    {'t', LEVEL,     nullptr,  0,            0,          nullptr,  nullptr, true,  NONE},
    {'u', ACCEPTED,  nullptr,  0,            0,          nullptr,  nullptr, false, NONE},
    {'w', ACCEPTED,  nullptr,  0,            0,          nullptr,  nullptr, false, NONE},
    {'x', TEXT,      &isSIDE,  1,            0,          nullptr,  &SIDE,   true,  4   },
    {'y', REMAINDER, &isYA,    2,            0,          nullptr,  nullptr, false, NONE},
    {'z', DIAMETER,  nullptr,  0,            0,          nullptr,  nullptr, true,  6   },
};

// Remainder of n by m truncating toward zero, as C's % does; n may be INT_MIN.
int Rem(int n, int m)
{
    return static_cast<int>(static_cast<long long>(n) % m);
}

// Takes value as the option's text when it is a label, or an empty value where the option
// stands bare too; false, changing nothing, otherwise.
bool TakeText(const Option &o, const char *value)
{
    if (value[0] == '\0' && o.b != 0) {
        *o.var = o.b;
        return true;
    }
    if (o.var == &isLABEL && o.b != 0 && std::strcmp(value, AGAIN) == 0) {
        *o.var = LABEL_AGAIN; // a value of the numbering, so the last of the label options wins
        return true;
    }
    if (!IsLabel(value))
        return false;
    std::strcpy(o.text->data(), value);
    *o.var = o.a;
    return true;
}

// Takes value as the diameter of option -z; false, changing nothing, for anything but digits
// with at most one decimal point, above 0 and at most MOST_DIAMETER.
bool TakeDiameter(const char *value)
{
    int digits = 0, points = 0;
    for (const char *c = value; *c != '\0'; c++)
        if (*c >= '0' && *c <= '9')
            digits++;
        else if (*c != '.' || ++points > 1)
            return false;
    double d = digits > 0 ? ReadDouble(value) : 0.0;
    if (!(d > 0.0 && d <= MOST_DIAMETER))
        return false;
    wDIAM = d;
    return true;
}

// True for the options that this tool added to the host's set (texts, digits, the diameter):
// a value written after a blank is shown for them as a refused one.
bool Added(const Option &o)
{
    return o.take == TEXT || o.take == DIGIT || o.take == DIAMETER || o.take == STACKED;
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
    case DIAMETER:
        return TakeDiameter(value);
    case STACKED:
        if (*o.var == JOINS || (value[0] != '\0' && !IsLabel(value)))
            return false;
        std::strcpy(JOIN[static_cast<size_t>((*o.var)++)].data(), value);
        return true;
    case ACCEPTED:
        return true;
    }
    return true;
}

} // namespace

// Decodes argument: letter in character 2, either case; value from character 3, if any. An
// added option's letter alone before an argument that is no option (next) had its value written
// after a blank: that value is refused, and the argument after it stays skipped.
void opt(char *argument, const char *next)
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
    bool blank =
        o != nullptr && !has && next != nullptr && next[0] != '-' && next[0] != '/' && Added(*o);
    bool tried = has || (o != nullptr && o->bare && !blank);
    bool took = o != nullptr && tried && TakeValue(*o, value);
    if (o == nullptr || ((tried || blank) && !took))
        ConPrintf(stderr, MSG_OPTION);
    iOPTION++;
    // A bare letter refused stays unshown, but for -j, whose every value adds a balloon: a later
    // one takes no refused one's place.
    bool join = o != nullptr && o->take == STACKED;
    if (o != nullptr && o->group != NONE && (took || has || blank || join)) {
        int &refused = REFUSED[static_cast<size_t>(o->group)];
        if (took && !join)
            refused = 0;
        else if (!took && !(join && refused != 0))
            refused = iOPTION << 8 | argument[1];
    }
    if (isTest >= LEVEL_READER) { // the options are echoed from the reader's level on
        ConPrintf(stdout, "# --- command line option ---------------\n");
        ConPrintf(stdout, "# --- wLC1=(%d)/(1--9)  wLC2=(%d)/(1--9)  wCN=(%d)/(0--9)\n", wLC1, wLC2,
                  wCN);
    }
}

char Refused()
{
    int first = 0;
    for (int r : REFUSED)
        if (r != 0 && (first == 0 || r < first))
            first = r;
    return static_cast<char>(first & 0xFF);
}
