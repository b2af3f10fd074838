// The writer's bytes, its warnings and their order, and what happens when the file cannot be
// written.

#include "configwriter.h"
#include "expectedfile.h"
#include "tmpfsmount.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using namespace quorlex;

namespace
{

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

QByteArrayList fileLines(const QByteArray &bytes)
{
    QByteArrayList lines = bytes.split('\n');
    lines.removeLast();
    for (QByteArray &l : lines)
        l.chop(1);
    return lines;
}

} // namespace

using Change = std::function<void(ConfigRecord &)>;
Q_DECLARE_METATYPE(Change)

class TestConfigWriter : public QObject
{
    Q_OBJECT

    QTemporaryDir *m_dir = nullptr;
    QStringList m_events;

    WriterHooks recordingHooks()
    {
        return {[this](const QString &title, const QString &text) {
                    m_events << QStringLiteral("box %1: %2").arg(title, text);
                },
                [this](int slot, const QString &text) {
                    m_events << QStringLiteral("shortened %1: %2").arg(slot).arg(text.size());
                }};
    }
    QByteArray write(ConfigRecord &record)
    {
        const WriteResult r = writeConfigFile(record, m_dir->path(), recordingHooks());
        if (!r.ok)
            return "<failed: " + r.reason.toUtf8() + ">";
        return readAll(m_dir->filePath(QLatin1String(kConfigFileName)));
    }
    QByteArray messageLine(const QByteArray &file, int slot)
    {
        return fileLines(file).value(fileLines(file).indexOf("[Messages]") + 1 + slot);
    }

private Q_SLOTS:
    void init()
    {
        m_dir = new QTemporaryDir;
        QVERIFY(m_dir->isValid());
        m_events.clear();
    }
    void cleanup()
    {
        delete m_dir;
        m_dir = nullptr;
    }

    void wholeFile_data()
    {
        QTest::addColumn<Change>("change");
        QTest::addColumn<QByteArray>("file");
        using L = AccessLevel;
        const auto tiered = [](std::vector<std::pair<int, L>> levels) {
            return Change([levels](ConfigRecord &r) {
                r.useTieredAdmin = true;
                for (auto [row, level] : levels)
                    r.commands[row].level = level;
            });
        };
        QTest::newRow("defaults") << Change([](ConfigRecord &) {}) << expected::defaultFile();
        QTest::newRow("tiered defaults: empty [Commands]")
            << tiered({}) << expected::tieredFile({});
        QTest::newRow("kick at Intermediate")
            << tiered({{15, L::Intermediate}}) << expected::tieredFile({"kick=2"});
        QTest::newRow("Low, Full, Disabled")
            << tiered({{0, L::Low}, {41, L::Full}, {20, L::Disabled}})
            << expected::tieredFile({"addmsg=1", "wipeout=3"});
        // Lines follow catalogue order, not the order in which rows were changed.
        QTest::newRow("catalogue order")
            << tiered({{40, L::Low}, {11, L::Full}, {2, L::Intermediate}})
            << expected::tieredFile({"blockname=2", "gethitmiss=3", "weaponban=1"});
        QTest::newRow("rows beyond the catalogue never written")
            << tiered({{42, L::Full}, {59, L::Low}}) << expected::tieredFile({});
        QTest::newRow("tiered off leaves levels and passwords out") << Change([](ConfigRecord &r) {
            r.commands[15].level = L::Full;
            r.passwords[0] = QStringLiteral("changed");
        }) << expected::defaultFile();
        QTest::newRow("empty passwords") << Change([](ConfigRecord &r) {
            r.useTieredAdmin = true;
            r.passwords = {QString(), QString()};
        }) << expected::tieredFile({}, "", "");
        // Pasting into a password box keeps CR and LF; they must not grant a command.
        QTest::newRow("pasted line breaks") << Change([](ConfigRecord &r) {
            r.useTieredAdmin = true;
            r.passwords[0] = QStringLiteral("x\r\n[Commands]\r\nkick=3");
        }) << expected::tieredFile({}, "x  [Commands]  kick=3");
    }
    void wholeFile()
    {
        QFETCH(Change, change);
        QFETCH(QByteArray, file);
        ConfigRecord record;
        change(record);
        QCOMPARE(write(record), file);
        QVERIFY(m_events.isEmpty());
    }

    void messageLength_data()
    {
        QTest::addColumn<int>("slot");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<QStringList>("events");
        const QString a196(196, QLatin1Char('a'));
        QTest::newRow("196 written whole") << 4 << a196 << "<4>" + a196.toLatin1() << QStringList{};
        QTest::newRow("197 shortened")
            << 4 << a196 + QLatin1Char('b') << "<4>" + a196.toLatin1()
            << QStringList{"box Warning: Message 5 too long!", "shortened 4: 196"};
        QTest::newRow("slot 0 is message 1")
            << 0 << QString(300, QLatin1Char('x')) << "<0>" + QByteArray(196, 'x')
            << QStringList{"box Warning: Message 1 too long!", "shortened 0: 196"};
        QTest::newRow("slot 9 is message 10")
            << 9 << QString(197, QLatin1Char('y')) << "<9>" + QByteArray(196, 'y')
            << QStringList{"box Warning: Message 10 too long!", "shortened 9: 196"};
        QTest::newRow("empty slot") << 4 << QString() << QByteArray("<4>") << QStringList{};
        // 196 characters, 392 UTF-16 code units: counted as characters, not units.
        const QString astral = QString(196, QLatin1Char('.'))
                                   .replace(QLatin1Char('.'), QString::fromUcs4(U"\U0001F600"));
        QTest::newRow("196 astral characters")
            << 2 << astral << "<2>" + QByteArray(196, '?') << QStringList{};
        // Cutting after 196 characters must not split the pair that starts at unit 391.
        QTest::newRow("cut keeps a surrogate pair whole")
            << 2 << QString(195, QLatin1Char('a')) + QString::fromUcs4(U"\U0001F600\U0001F600")
            << "<2>" + QByteArray(195, 'a') + "?"
            << QStringList{"box Warning: Message 3 too long!", "shortened 2: 197"};
        // A line break counts as the blank it becomes, so 196 of them are not too long.
        QTest::newRow("line breaks count as written")
            << 1 << QString(98, QLatin1Char('\r')) + QString(98, QLatin1Char('\n'))
            << "<1>" + QByteArray(196, ' ') << QStringList{};
    }
    void messageLength()
    {
        QFETCH(int, slot);
        QFETCH(QString, text);
        QFETCH(QByteArray, line);
        QFETCH(QStringList, events);
        ConfigRecord record;
        record.messages[slot] = text;
        const QByteArray file = write(record);
        QCOMPARE(messageLine(file, slot), line);
        QCOMPARE(m_events, events);
        QCOMPARE(fileLines(file).size(), 47);
    }

    void overlongMessages_warnOneAfterAnotherInSlotOrder()
    {
        ConfigRecord record;
        record.messages[7] = QString(500, QLatin1Char('c'));
        record.messages[0] = QString(197, QLatin1Char('a'));
        record.messages[3] = QString(40000, QLatin1Char('b'));
        const QByteArray file = write(record);
        QCOMPARE(m_events, (QStringList{"box Warning: Message 1 too long!", "shortened 0: 196",
                                        "box Warning: Message 4 too long!", "shortened 3: 196",
                                        "box Warning: Message 8 too long!", "shortened 7: 196"}));
        QCOMPARE(record.messages[3], QString(196, QLatin1Char('b')));
        QCOMPARE(messageLine(file, 7), "<7>" + QByteArray(196, 'c'));

        // The record now holds the shortened texts, so writing again warns no more.
        m_events.clear();
        QCOMPARE(write(record), file);
        QVERIFY(m_events.isEmpty());
    }

    void frequency_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QByteArray>("written");
        QTest::newRow("plain") << "30" << QByteArray("30");
        QTest::newRow("leading blank kept") << " 30" << QByteArray(" 30");
        QTest::newRow("blanks around kept") << "  5  " << QByteArray("  5  ");
        QTest::newRow("signed") << "-4" << QByteArray("-4");
        QTest::newRow("plus sign") << "+7" << QByteArray("+7");
        QTest::newRow("leading zeros") << "007" << QByteArray("007");
        QTest::newRow("beyond 16 bits") << "99999" << QByteArray("99999");
        QTest::newRow("empty") << "" << QByteArray("2");
        QTest::newRow("blanks only") << "   " << QByteArray("2");
        QTest::newRow("word") << "often" << QByteArray("2");
        QTest::newRow("digits then letter") << "3x" << QByteArray("2");
        QTest::newRow("fraction") << "2.5" << QByteArray("2");
        QTest::newRow("exponent") << "1e3" << QByteArray("2");
        QTest::newRow("sign alone") << "-" << QByteArray("2");
        QTest::newRow("blank inside") << "1 2" << QByteArray("2");
        QTest::newRow("line break after number") << "5\r\n[Commands]" << QByteArray("2");
        QTest::newRow("non-ASCII digits") << QString::fromUtf8("\u0663") << QByteArray("2");
    }
    void frequency()
    {
        QFETCH(QString, typed);
        QFETCH(QByteArray, written);
        ConfigRecord record;
        record.messageFrequency = typed;
        const QByteArrayList lines = fileLines(write(record));
        QCOMPARE(lines.value(32), "messagefrequency=" + written);
        QCOMPARE(lines.size(), 47);
    }

    void freeText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("latin-1 and euro") << QString::fromUtf8("Grüße €")
                                          << QByteArray("Gr\xFC\xDF"
                                                        "e \x80");
        QTest::newRow("cp1252 punctuation")
            << QString::fromUtf8("„quoted“ – ‘x’ … ™ Œ š Ÿ")
            << QByteArray("\x84quoted\x93 \x96 \x91x\x92 \x85 \x99 \x8C \x9A \x9F");
        QTest::newRow("decomposed composes first")
            << QString::fromUtf8("e\u0301") << QByteArray("\xE9");
        QTest::newRow("unmapped becomes question mark")
            << QString::fromUtf8("Ω中") << QByteArray("??");
        QTest::newRow("C1 control without a code point is unmapped")
            << QString::fromUtf8("a\u0081b") << QByteArray("a?b");
        QTest::newRow("line breaks become blanks") << QString::fromUtf8("x\r\n[Commands]\r\nkick=3")
                                                   << QByteArray("x  [Commands]  kick=3");
        QTest::newRow("other separators become blanks")
            << QString::fromUtf8("a\u0085b\u2028c\u2029d\te") << QByteArray("a b c d e");
        QTest::newRow("NUL becomes a blank")
            << QString(QChar(0)) + QLatin1String("z") << QByteArray(" z");
    }
    void freeText()
    {
        QFETCH(QString, text);
        QFETCH(QByteArray, bytes);
        ConfigRecord record;
        record.useTieredAdmin = true;
        record.passwords[1] = text;
        record.messages[5] = text;
        const QByteArrayList lines = fileLines(write(record));
        QCOMPARE(lines.value(38), "L2Pass=" + bytes);
        QCOMPARE(lines.value(lines.indexOf("[Messages]") + 6), "<5>" + bytes);
        QCOMPARE(lines.size(), 55);
    }

    void folderWithTrailingSeparator_doublesTheSeparator()
    {
        const QString folder = m_dir->path() + QDir::separator();
        QCOMPARE(configFilePath(folder),
                 m_dir->path() + QDir::separator() + QDir::separator() + "QUORLEX_CONFIG.txt");
        ConfigRecord record;
        const WriteResult r = writeConfigFile(record, folder, {});
        QVERIFY2(r.ok, qPrintable(r.reason));
        QCOMPARE(r.path, configFilePath(folder));
        QCOMPARE(readAll(m_dir->filePath("QUORLEX_CONFIG.txt")), expected::defaultFile());
    }

    void secondWrite_replacesTheEarlierFileWhole()
    {
        const QString path = m_dir->filePath("QUORLEX_CONFIG.txt");
        {
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(QByteArray(10000, 'z'));
        }
        ConfigRecord record;
        QCOMPARE(write(record), expected::defaultFile());
        QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files | QDir::Hidden),
                 QStringList{"QUORLEX_CONFIG.txt"});
    }

    void failure_data()
    {
        QTest::addColumn<QString>("setup");
        QTest::newRow("directory in the file's place") << "directory";
        QTest::newRow("missing folder") << "missing";
    }
    void failure()
    {
        QFETCH(QString, setup);
        QString folder = m_dir->path();
        if (setup == QLatin1String("directory"))
            QVERIFY(QDir(folder).mkdir("QUORLEX_CONFIG.txt"));
        else
            folder = m_dir->filePath("not-there");
        ConfigRecord record;
        record.messages[2] = QString(300, QLatin1Char('m'));
        const WriteResult r = writeConfigFile(record, folder, recordingHooks());
        QVERIFY(!r.ok);
        QCOMPARE(r.path, configFilePath(folder));
        QVERIFY2(!r.reason.isEmpty(), "the system's reason is reported");
        const QStringList left =
            QDir(m_dir->path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
        QCOMPARE(left, setup == QLatin1String("directory") ? QStringList{"QUORLEX_CONFIG.txt"}
                                                           : QStringList{});
    }

    void fullOrReadOnlyDisk_data()
    {
        QTest::addColumn<bool>("readOnly");
        QTest::newRow("full tmpfs") << false;
        QTest::newRow("read-only tmpfs") << true;
    }
    void fullOrReadOnlyDisk()
    {
        QFETCH(bool, readOnly);
        TmpfsMount mount(m_dir->filePath("disk"));
        if (!mount.mounted())
            QSKIP(qPrintable("cannot mount a tmpfs here: " + mount.error()));
        ConfigRecord earlierRecord;
        earlierRecord.messages[9] = QStringLiteral("the earlier file");
        QVERIFY(writeConfigFile(earlierRecord, mount.path(), {}).ok);
        const QString path = mount.path() + "/QUORLEX_CONFIG.txt";
        const QByteArray earlier = readAll(path);
        QVERIFY(readOnly ? mount.makeReadOnly() : mount.fill());
        const QStringList before = QDir(mount.path()).entryList(QDir::AllEntries | QDir::Hidden);

        ConfigRecord record;
        record.useTieredAdmin = true;
        const WriteResult r = writeConfigFile(record, mount.path(), {});
        QVERIFY(!r.ok);
        QVERIFY2(!r.reason.isEmpty(), "the system's reason is reported");
        QCOMPARE(readAll(path), earlier);
        QCOMPARE(QDir(mount.path()).entryList(QDir::AllEntries | QDir::Hidden), before);
    }
};

QTEST_GUILESS_MAIN(TestConfigWriter)
#include "tst_configwriter.moc"
