// The label's text: which texts are labels, how a label is drawn, and the label after a label.
#pragma once

#include <cstddef>

// True when s is 1 to LABEL_CHARS label characters: printable ASCII but the double quote (which
// would end the host's text), half-width katakana, or Shift_JIS double-byte characters.
bool IsLabel(const char *s);

// The characters of a text, a double-byte character counted once.
int LabelChars(const char *text);

// A label as drawn into out (2 * LABEL_CHARS + 1 bytes): full width turns its ASCII digits and
// Latin letters into their full-width Shift_JIS characters, every other character stays as
// given.
void LabelText(const char *s, char *out);

// A label with its full-width Shift_JIS digits and Latin letters turned into their ASCII forms
// into out (as many bytes as label, or fewer): the counter's form of what may have been typed
// in full width.
void LabelHalf(const char *label, char *out);

// The label after label into next (2 * LABEL_CHARS + 1 bytes): its last run of ASCII digits
// counted up by one with carry, keeping its width ("099" to "100", "9" to "10"), or its last run
// of ASCII letters of one case counted up as a column name ("Z" to "AA"). False, next undefined,
// where the label ends in anything else or the next would have more than LABEL_CHARS characters.
bool NextLabel(const char *label, char *next);
