#include "filetext.h"

#ifdef Q_OS_WIN
#include <qt_windows.h>
#endif

namespace quorlex
{

namespace
{

// Reads the character at `i` and moves past it; an unpaired surrogate is read as itself.
char32_t nextCharacter(QStringView text, qsizetype &i)
{
    const QChar first = text[i++];
    if (first.isHighSurrogate() && i < text.size() && text[i].isLowSurrogate())
        return QChar::surrogateToUcs4(first, text[i++]);
    return first.unicode();
}

// Control characters (C0, DEL, C1) and the Unicode line and paragraph separators: none of them
// is text the module can show, and several end a line for one reader or another.
bool isControlOrBreak(char32_t c)
{
    return c < 0x20 || (c >= 0x7F && c <= 0x9F) || c == 0x2028 || c == 0x2029;
}

#ifndef Q_OS_WIN
// Windows-1252 bytes 0x80-0x9F; 0 marks the five positions the code page leaves undefined.
constexpr char16_t kCp1252High[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

char cp1252Byte(char32_t c)
{
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF))
        return static_cast<char>(c);
    for (int i = 0; i < 32; ++i) {
        if (kCp1252High[i] != 0 && kCp1252High[i] == c)
            return static_cast<char>(0x80 + i);
    }
    return '?';
}
#endif

} // namespace

QString writtenForm(QStringView text)
{
    QString out = text.toString().normalized(QString::NormalizationForm_C);
    for (QChar &ch : out) {
        if (isControlOrBreak(ch.unicode()))
            ch = QLatin1Char(' ');
    }
    return out;
}

namespace
{
// The module reads one byte per character, so a line's limit is a limit on its bytes too. Where
// the ANSI code page takes several bytes for one character (UTF-8, the East Asian double-byte
// pages), whole characters are dropped from the end until the bytes fit; elsewhere every
// character is one byte and nothing changes.
LimitedText withinBytes(LimitedText limited, qsizetype limit)
{
    while (toFileBytes(limited.text).size() > limit) {
        limited.text = leftCharacters(limited.text, characterCount(limited.text) - 1);
        limited.cut = true;
    }
    return limited;
}

LimitedText withinCharacters(QStringView text, qsizetype limit)
{
    // Composition never reaches across a plain ASCII character: it has combining class 0 and is
    // never the second half of a composed pair. So the written form of the text before one is
    // the start of the written form of the whole, and a 10,000-character message needs only its
    // head composed. Each character needs at most two code units unless marks fold into it;
    // the head grows until it yields more than `limit` characters or is the whole text.
    for (qsizetype head = 2 * limit + 2; head < text.size(); head *= 2) {
        qsizetype cut = head;
        while (cut < text.size() && text[cut].unicode() >= 0x80)
            ++cut;
        if (cut == text.size())
            break;
        const QString start = writtenForm(text.left(cut));
        if (characterCount(start) > limit)
            return {leftCharacters(start, limit), true};
    }
    QString whole = writtenForm(text);
    if (characterCount(whole) <= limit)
        return {whole, false};
    return {leftCharacters(whole, limit), true};
}
} // namespace

LimitedText writtenFormLimited(QStringView text, qsizetype limit)
{
    return withinBytes(withinCharacters(text, limit), limit);
}

qsizetype characterCount(QStringView text)
{
    qsizetype count = 0;
    for (qsizetype i = 0; i < text.size(); ++count)
        nextCharacter(text, i);
    return count;
}

QString leftCharacters(QStringView text, qsizetype count)
{
    qsizetype i = 0;
    for (qsizetype taken = 0; taken < count && i < text.size(); ++taken)
        nextCharacter(text, i);
    return text.left(i).toString();
}

QByteArray toFileBytes(QStringView text)
{
#ifdef Q_OS_WIN
    if (text.isEmpty())
        return {};
    const auto *wide = reinterpret_cast<const wchar_t *>(text.utf16());
    const int wideLen = int(text.size());
    // A system set to UTF-8 as its ANSI code page maps every character and refuses a
    // replacement character: given one, the conversion fails and would write empty lines.
    const UINT codePage = GetACP();
    const char *unmapped = (codePage == CP_UTF8 || codePage == CP_UTF7) ? nullptr : "?";
    const int size = WideCharToMultiByte(codePage, 0, wide, wideLen, nullptr, 0, unmapped, nullptr);
    QByteArray bytes(size, Qt::Uninitialized);
    WideCharToMultiByte(codePage, 0, wide, wideLen, bytes.data(), size, unmapped, nullptr);
    return bytes;
#else
    QByteArray bytes;
    bytes.reserve(text.size());
    for (qsizetype i = 0; i < text.size();)
        bytes.append(cp1252Byte(nextCharacter(text, i)));
    return bytes;
#endif
}

bool isFrequencyNumber(QStringView text)
{
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n && text[i] == QLatin1Char(' '))
        ++i;
    if (i < n && (text[i] == QLatin1Char('+') || text[i] == QLatin1Char('-')))
        ++i;
    const qsizetype firstDigit = i;
    while (i < n && text[i] >= QLatin1Char('0') && text[i] <= QLatin1Char('9'))
        ++i;
    if (i == firstDigit)
        return false;
    while (i < n && text[i] == QLatin1Char(' '))
        ++i;
    return i == n;
}

} // namespace quorlex
