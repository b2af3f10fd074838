// Many random records, each file read back by a reader that knows only the file format.

#include "configwriter.h"

#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

using namespace quorlex;

namespace
{

const char32_t kPool[] = {U'a',   U'Z',   U'0',    U' ',    U'=',    U'[',   U']',   U'<',
                          U'\r',  U'\n',  U'\t',   U'\0',   0x7F,    0x85,   0x2028, 0x2029,
                          0xE9,   0xFC,   0xDF,    0xFF,    0x20AC,  0x2019, 0x0301, 0x0308,
                          0x4E2D, 0x03A9, 0x1F600, 0x10348, 0x1D11E, 0xFFFD, 0x0081, 0xA0};

QString randomText(QRandomGenerator &rng)
{
    const int pick = rng.bounded(100);
    const int length = pick < 60   ? rng.bounded(12)
                       : pick < 90 ? 180 + rng.bounded(40)
                                   : 5000 + rng.bounded(10000);
    std::u32string chars;
    for (int i = 0; i < length; ++i)
        chars += kPool[rng.bounded(int(std::size(kPool)))];
    return QString::fromUcs4(chars.data(), qsizetype(chars.size()));
}

// The length the module will see: characters after composition, at most the limit.
int expectedLength(const QString &text)
{
    return std::min<int>(int(text.normalized(QString::NormalizationForm_C).toUcs4().size()), 196);
}

} // namespace

class TestWriterProperty : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void randomRecords_keepTheFileFormat()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        QRandomGenerator rng(20261206);
        const QStringList names = commandNames();

        for (int run = 0; run < 300; ++run) {
            ConfigRecord record;
            for (bool &f : record.weaponBan)
                f = rng.bounded(2);
            for (bool &f : record.grenadeBan)
                f = rng.bounded(2);
            for (bool &f : record.settings)
                f = rng.bounded(2);
            record.useTieredAdmin = rng.bounded(2);
            record.messageFrequency =
                rng.bounded(3) ? QString::number(rng.bounded(-50, 50)) : randomText(rng);
            for (QString &p : record.passwords)
                p = randomText(rng);
            for (CommandRow &row : record.commands)
                row.level = AccessLevel(rng.bounded(4));
            std::array<int, kMessageCount> lengths{};
            int overlong = 0;
            for (int i = 0; i < kMessageCount; ++i) {
                record.messages[i] = randomText(rng);
                lengths[i] = expectedLength(record.messages[i]);
                if (record.messages[i].normalized(QString::NormalizationForm_C).toUcs4().size() >
                    196)
                    ++overlong;
            }
            int enabledCommands = 0;
            QByteArrayList commandLines;
            for (int i = 0; i < names.size(); ++i) {
                const AccessLevel level = record.commands[i].level;
                if (level != AccessLevel::Disabled) {
                    ++enabledCommands;
                    commandLines << names[i].toLatin1() + "=" + QByteArray::number(int(level));
                }
            }
            const ConfigRecord before = record;

            int warnings = 0;
            int shortened = 0;
            const WriteResult r =
                writeConfigFile(record, dir.path(),
                                {[&](const QString &, const QString &) { ++warnings; },
                                 [&](int slot, const QString &text) {
                                     ++shortened;
                                     QCOMPARE(warnings, shortened);
                                     QCOMPARE(int(text.toUcs4().size()), 196);
                                     QCOMPARE(record.messages[slot], text);
                                 }});
            QVERIFY2(r.ok, qPrintable(r.reason));
            QCOMPARE(warnings, overlong);
            QCOMPARE(shortened, overlong);

            QFile file(dir.filePath("QUORLEX_CONFIG.txt"));
            QVERIFY(file.open(QIODevice::ReadOnly));
            const QByteArray bytes = file.readAll();

            // Line ends: every CR is followed by LF and every LF preceded by CR; the file ends
            // in one.
            QVERIFY(bytes.endsWith("\r\n"));
            QCOMPARE(bytes.count('\r'), bytes.count("\r\n"));
            QCOMPARE(bytes.count('\n'), bytes.count("\r\n"));
            QByteArrayList lines = bytes.split('\n');
            lines.removeLast();
            for (QByteArray &l : lines)
                l.chop(1);

            const int tieredLines = record.useTieredAdmin ? 8 + enabledCommands : 0;
            QCOMPARE(lines.size(), 47 + tieredLines);

            QByteArrayList headers;
            for (const QByteArray &l : lines) {
                if (l.startsWith('[') && l.endsWith(']') && !l.contains('='))
                    headers << l;
                for (char c : l)
                    QVERIFY2(uchar(c) >= 0x20, "no control character inside a line");
            }
            QByteArrayList order{"[WeaponBan]", "[GrenadeBan]", "[Settings]"};
            if (record.useTieredAdmin)
                order << "[Password]"
                      << "[Commands]";
            order << "[Messages]";
            QCOMPARE(headers, order);

            if (record.useTieredAdmin) {
                const int first = int(lines.indexOf("[Commands]")) + 1;
                QCOMPARE(lines.mid(first, enabledCommands), commandLines);
            }

            const int messages = int(lines.indexOf("[Messages]")) + 1;
            for (int i = 0; i < kMessageCount; ++i) {
                const QByteArray &line = lines[messages + i];
                QVERIFY(line.startsWith("<" + QByteArray::number(i) + ">"));
                QVERIFY(line.size() <= 199);
                QCOMPARE(int(line.size()) - 3, lengths[i]);
            }
            // Nothing but the over-long messages changes in the record.
            QCOMPARE(record.passwords, before.passwords);
            QCOMPARE(record.messageFrequency, before.messageFrequency);
        }
    }
};

QTEST_GUILESS_MAIN(TestWriterProperty)
#include "tst_writerproperty.moc"
