#pragma once

// How text from the window becomes bytes of QUORLEX_CONFIG.txt: the module reads one
// 8-bit character per byte and one setting per CR LF terminated line.

#include "text.h"

#include <string>

namespace quorlex
{

// Control characters (C0, DEL, C1) and the Unicode line and paragraph separators: none of them
// is text the module can show, and several end a line for one reader or another.
bool isControlOrBreak(char32_t c);

// The text with each control character and line or paragraph separator turned into one blank.
Text withControlsBlanked(TextView text);

// The text as the file will hold it: composed to NFC, and every control character and line or
// paragraph separator turned into one blank, so that no value can end or split its line.
Text writtenForm(TextView text);

// The written form of `text` cut to its first `limit` characters, and further, by whole
// characters, until its 8-bit form is at most `limit` bytes; `cut` tells whether anything was
// cut off. For a long text only as much is composed as the cut needs.
struct LimitedText {
    Text text;
    bool cut = false;
};
LimitedText writtenFormLimited(TextView text, size_t limit);

// Length in characters (Unicode code points); an unpaired surrogate counts as one.
size_t characterCount(TextView text);

// The first `count` characters of `text`, never splitting a surrogate pair.
Text leftCharacters(TextView text, size_t count);

// True when the text is a decimal integer, optionally signed, with optional blanks around it.
bool isFrequencyNumber(TextView text);

} // namespace quorlex
