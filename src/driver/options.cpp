// The option decoder: one argument, one letter, one option variable.
#include "driver/driver.h"
#include "driver/messages.h"
#include "state/state.h"
#include "text/format.h"
#include "text/scan.h"
#include "text/textio.h"

#include <cstring>

// Remainder of n by m truncating toward zero, as C's % does; n may be INT_MIN.
static int Rem(int n, int m)
{
    return static_cast<int>(static_cast<long long>(n) % m);
}

// The bytes of the label character at s: 1 for printable ASCII but the double quote (which
// would end the host's text) and for half-width katakana, 2 for a Shift_JIS double-byte
// character with its trail byte; 0 for anything else.
static size_t LabelChar(const char *s)
{
    auto c = static_cast<unsigned char>(s[0]), t = static_cast<unsigned char>(s[1]);
    if ((c >= 0x21 && c <= 0x7E && c != '"') || (c >= 0xA1 && c <= 0xDF))
        return 1;
    return IsLead(s[0]) && ((t >= 0x40 && t <= 0x7E) || (t >= 0x80 && t <= 0xFC)) ? 2 : 0;
}

// Takes text as the label of option -l when it is 1 to LABEL_CHARS label characters; false,
// changing nothing, otherwise.
static bool TakeLabel(const char *text)
{
    size_t n = 0, k = 0;
    for (int chars = 0; text[n] != '\0'; n += k, chars++)
        if (chars == LABEL_CHARS || (k = LabelChar(text + n)) == 0)
            return false;
    std::memcpy(LABEL.data(), text, n + 1);
    isLABEL = 1;
    return true;
}

// Decodes argument: letter in character 2, either case; value from character 3, if any.
void opt(char *argument)
{
    char        letter = argument[0] != '\0' ? argument[1] : '\0';
    const char *value = letter != '\0' ? argument + 2 : "";
    bool        has = value[0] != '\0'; // "no value: no change"
    if (letter >= 'A' && letter <= 'Z')
        letter = static_cast<char>(letter - 'A' + 'a');
    switch (letter) {
    case 'a': // label "A" to "I"; 0 gives "9"
        if (has) {
            isNUM = Rem(ReadInt(value), 10) + 9;
            isLABEL = 0;
        }
        break;
    case 'b': // colour number
        if (has)
            wSCLR = Rem(ReadInt(value), 10);
        break;
    case 'c': // text style
        if (has)
            wCN = Rem(ReadInt(value), 10);
        break;
    case 'd': // label offset factor
        if (has)
            moji_offset = ReadDouble(value);
        break;
    case 'h': // 1: full-width label
        if (has)
            isZEN = Rem(ReadInt(value), 2);
        break;
    case 'l': // label text; a text that is no label changes nothing
        if (has && !TakeLabel(value))
            ConPrintf(stderr, MSG_OPTION);
        break;
    case 'n': // label "0" to "9"
        if (has) {
            isNUM = Rem(ReadInt(value), 10);
            isLABEL = 0;
        }
        break;
    case 'p': // dot at the leader's end
        if (has)
            isTEN = Rem(ReadInt(value), 2);
        break;
    case 't': // debug level from one digit 1 to 6
        isTest = LEVEL_NONE;
        if (has && value[0] >= '1' && value[0] <= '6')
            isTest = value[0] - '0';
        break;
    case 'y': // arrow head at the leader's end
        if (has)
            isYA = Rem(ReadInt(value), 2);
        break;
    case 'e': // accepted, no effect
    case 'm':
    case 's':
    case 'u':
    case 'w':
        break;
    default:
        ConPrintf(stderr, MSG_OPTION);
        break;
    }
    if (isTest >= LEVEL_READER) { // the options are echoed from the reader's level on
        ConPrintf(stdout, "# --- command line option ---------------\n");
        ConPrintf(stdout, "# --- wLC1=(%d)/(1--9)  wLC2=(%d)/(1--9)  wCN=(%d)/(0--9)\n", wLC1, wLC2,
                  wCN);
    }
}
