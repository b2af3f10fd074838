#pragma once

// How text from the window becomes bytes of QUORLEX_CONFIG.txt: the module reads one
// 8-bit character per byte and one setting per CR LF terminated line.

#include <QByteArray>
#include <QString>
#include <QStringView>

namespace quorlex
{

// The text as the file will hold it: composed to NFC, and every control character (C0, DEL,
// C1) and LINE and PARAGRAPH SEPARATOR turned into one blank, so that no value can end or split
// its line.
QString writtenForm(QStringView text);

// The written form of `text` cut to its first `limit` characters, and further, by whole
// characters, until its 8-bit form is at most `limit` bytes; `cut` tells whether anything was
// cut off. For a long text only as much is composed as the cut needs.
struct LimitedText {
    QString text;
    bool cut = false;
};
LimitedText writtenFormLimited(QStringView text, qsizetype limit);

// Length in characters (Unicode code points); an unpaired surrogate counts as one.
qsizetype characterCount(QStringView text);

// The first `count` characters of `text`, never splitting a surrogate pair.
QString leftCharacters(QStringView text, qsizetype count);

// Encodes written-form text as 8-bit text: the ANSI code page on Windows, Windows-1252
// elsewhere. A character the code page lacks becomes '?'.
QByteArray toFileBytes(QStringView text);

// True when the text is a decimal integer, optionally signed, with optional blanks around it.
bool isFrequencyNumber(QStringView text);

} // namespace quorlex
