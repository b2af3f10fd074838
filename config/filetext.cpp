#include "filetext.h"

#include "platform.h"

namespace quorlex
{

namespace
{

bool isHighSurrogate(char16_t c)
{
    return c >= 0xD800 && c <= 0xDBFF;
}

bool isLowSurrogate(char16_t c)
{
    return c >= 0xDC00 && c <= 0xDFFF;
}

// Moves past the character at `i`; an unpaired surrogate counts as a character of its own.
void skipCharacter(TextView text, size_t &i)
{
    const char16_t first = text[i++];
    if (isHighSurrogate(first) && i < text.size() && isLowSurrogate(text[i]))
        ++i;
}

// The module reads one byte per character, so a line's limit is a limit on its bytes too. Where
// the ANSI code page takes several bytes for one character (UTF-8, the East Asian double-byte
// pages), whole characters are dropped from the end until the bytes fit; elsewhere every
// character is one byte and nothing changes.
LimitedText withinBytes(LimitedText limited, size_t limit)
{
    while (toCodePage(limited.text).size() > limit) {
        limited.text = leftCharacters(limited.text, characterCount(limited.text) - 1);
        limited.cut = true;
    }
    return limited;
}

LimitedText withinCharacters(TextView text, size_t limit)
{
    // Composition never reaches across a plain ASCII character: it has combining class 0 and is
    // never the second half of a composed pair. So the written form of the text before one is
    // the start of the written form of the whole, and a 10,000-character message needs only its
    // head composed. Each character needs at most two code units unless marks fold into it;
    // the head grows until it yields more than `limit` characters or is the whole text.
    for (size_t head = 2 * limit + 2; head < text.size(); head *= 2) {
        size_t cut = head;
        while (cut < text.size() && text[cut] >= 0x80)
            ++cut;
        if (cut == text.size())
            break;
        const Text start = writtenForm(text.substr(0, cut));
        if (characterCount(start) > limit)
            return {leftCharacters(start, limit), true};
    }
    Text whole = writtenForm(text);
    if (characterCount(whole) <= limit)
        return {whole, false};
    return {leftCharacters(whole, limit), true};
}

} // namespace

bool isControlOrBreak(char32_t c)
{
    return c < 0x20 || (c >= 0x7F && c <= 0x9F) || c == 0x2028 || c == 0x2029;
}

Text withControlsBlanked(TextView text)
{
    Text out(text);
    for (char16_t &c : out) {
        if (isControlOrBreak(c))
            c = u' ';
    }
    return out;
}

Text writtenForm(TextView text)
{
    return withControlsBlanked(composedNfc(text));
}

LimitedText writtenFormLimited(TextView text, size_t limit)
{
    return withinBytes(withinCharacters(text, limit), limit);
}

size_t characterCount(TextView text)
{
    size_t count = 0;
    for (size_t i = 0; i < text.size(); ++count)
        skipCharacter(text, i);
    return count;
}

Text leftCharacters(TextView text, size_t count)
{
    size_t i = 0;
    for (size_t taken = 0; taken < count && i < text.size(); ++taken)
        skipCharacter(text, i);
    return Text(text.substr(0, i));
}

bool isFrequencyNumber(TextView text)
{
    size_t i = 0;
    const size_t n = text.size();
    while (i < n && text[i] == u' ')
        ++i;
    if (i < n && (text[i] == u'+' || text[i] == u'-'))
        ++i;
    const size_t firstDigit = i;
    while (i < n && text[i] >= u'0' && text[i] <= u'9')
        ++i;
    if (i == firstDigit)
        return false;
    while (i < n && text[i] == u' ')
        ++i;
    return i == n;
}

} // namespace quorlex
