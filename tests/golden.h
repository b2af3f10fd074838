#pragma once

// The default file as the module expects it (tests/data), and expectations derived from it.

#include "text.h"

#include <QByteArray>
#include <QFile>
#include <QString>

// The core's text as Qt's (the other way is QString::toStdU16String): the same UTF-16, copied.
inline QString qt(const quorlex::Text &text)
{
    return QString::fromStdU16String(text);
}

inline QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

// The default file with `from` replaced by `to`.
inline QByteArray golden(const QByteArray &from = {}, const QByteArray &to = {})
{
    return readFile(QStringLiteral(QUORLEX_GOLDEN_FILE)).replace(from, to);
}

// Tiered administration on: the passwords, then `commands` (each line with its CR LF).
inline QByteArray tiered(const QByteArray &commands, const QByteArray &l1 = "greenharbor",
                         const QByteArray &l2 = "silvermountainrivers")
{
    return golden("UseTieredAdmin=0\r\n", "UseTieredAdmin=1\r\n\r\n\r\n[Password]\r\nL1Pass=" + l1 +
                                              "\r\nL2Pass=" + l2 + "\r\n\r\n\r\n[Commands]\r\n" +
                                              commands);
}
