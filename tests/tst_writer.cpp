// What the module reads: the bytes of the file for a record, the 196-character rule with its
// warning, and a folder in the file's place (every failure of a call is tst_faults'). Every
// expectation is the default file (tests/data) changed where the record was changed.

#include "configwriter.h"
#include "golden.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

using namespace quorlex;
using Edit = std::function<void(ConfigRecord &)>;
Q_DECLARE_METATYPE(Edit)

class TestWriter : public QObject
{
    Q_OBJECT
    QTemporaryDir m_dir;
    QStringList m_events; // the boxes shown and the texts the window is told of, in order
    const WriterHooks m_hooks{
        [this](const Text &title, const Text &text) { m_events << qt(title) + ": " + qt(text); },
        [this](int slot, const Text &text) {
            m_events << QString::number(slot) + ": " + qt(text);
        }};

    QByteArray written(ConfigRecord &record)
    {
        m_events.clear();
        const WriteResult result = writeConfigFile(record, text(m_dir.path()), m_hooks);
        return result.ok ? readFile(m_dir.filePath(qt(kConfigFileName)))
                         : qt(result.reason).toUtf8();
    }

private Q_SLOTS:
    void file_data()
    {
        QTest::addColumn<Edit>("edit");
        QTest::addColumn<QByteArray>("expected");
        const auto levels = [](std::map<int, AccessLevel> rows) {
            return Edit([=](ConfigRecord &r) {
                r.useTieredAdmin = true;
                for (auto [row, level] : rows)
                    r.commands[row].level = level;
            });
        };
        const auto message = [](const QString &text) {
            return Edit([=](ConfigRecord &r) { r.messages[5] = quorlex::text(text); });
        };
        using L = AccessLevel;
        QTest::newRow("defaults") << Edit([](ConfigRecord &) {}) << golden();
        QTest::newRow("tiered, all Disabled") << levels({}) << tiered("");
        QTest::newRow("levels in catalogue order, hidden rows never")
            << levels({{40, L::Low}, {15, L::Intermediate}, {0, L::Full}, {59, L::Full}})
            << tiered("addmsg=3\r\nkick=2\r\nweaponban=1\r\n");
        QTest::newRow("empty passwords, pasted lines") << Edit([](ConfigRecord &r) {
            r.useTieredAdmin = true;
            r.passwords = {Text(), u"x\r\n[Commands]\nkick=3"};
        }) << tiered("", "", "x  [Commands] kick=3");
        for (const char *number : {"30", " 30", "-4 ", "+007", "99999999999"})
            QTest::addRow("frequency '%s' as typed", number)
                << Edit([=](ConfigRecord &r) { r.messageFrequency = text(number); })
                << golden("frequency=2", "frequency=" + QByteArray(number));
        for (const char *text : {"", "   ", "often", "3x", "2.5", "1 2", "-"})
            QTest::addRow("frequency '%s' is 2", text)
                << Edit([=](ConfigRecord &r) { r.messageFrequency = quorlex::text(text); })
                << golden();
        QTest::newRow("controls and separators become blanks")
            << message(QStringLiteral("a\r\nb\tc\0d\u007Fe\u0085f\u0081g\u2028h\u2029i"))
            << golden("<5>", "<5>a  b c d e f g h i");
        QTest::newRow("Windows-1252 after NFC, ? for unmapped, a leading U+FEFF no byte order mark")
            << message(QStringLiteral("\uFEFFGrüße €„…™Ÿ e\u0301 Ω中😀"))
            << golden("<5>", "<5>?Gr\xFC\xDF"
                             "e \x80\x84\x85\x99\x9F \xE9 ???");
    }
    void file()
    {
        QFETCH(Edit, edit);
        QFETCH(QByteArray, expected);
        ConfigRecord record;
        edit(record);
        QCOMPARE(written(record), expected);
        QVERIFY(m_events.isEmpty());
    }

    void messageLimit_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<QString>("shortened"); // as the window is told, when warned
        const QString a195(195, QLatin1Char('a'));
        const QString smile = QString::fromUcs4(U"\U0001F600");
        QTest::newRow("196 whole") << a195 + 'a' << QByteArray(196, 'a') << QString();
        QTest::newRow("197 cut") << a195 + "ab" << QByteArray(196, 'a') << a195 + 'a';
        QTest::newRow("code points, not units")
            << smile.repeated(196) << QByteArray(196, '?') << QString();
        QTest::newRow("pair never split")
            << a195 + smile + smile << QByteArray(195, 'a') + "?" << a195 + smile;
        QTest::newRow("counted after NFC")
            << QStringLiteral("e\u0301").repeated(196) << QByteArray(196, '\xE9') << QString();
        // Longer than the head that is composed first: the head must be composed too.
        QTest::newRow("decomposed, past the first head")
            << QStringLiteral("e\u0301").repeated(300) << QByteArray(196, '\xE9')
            << QStringLiteral("\u00E9").repeated(196);
    }
    void messageLimit()
    {
        QFETCH(QString, text);
        QFETCH(QByteArray, line);
        QFETCH(QString, shortened);
        ConfigRecord record;
        record.messages[3] = quorlex::text(text);
        const QByteArray expected = golden("<3>\r\n", "<3>" + line + "\r\n");
        QCOMPARE(written(record), expected);
        const QStringList warned{"Warning: Message 4 too long!", "3: " + shortened};
        QCOMPARE(m_events, shortened.isEmpty() ? QStringList() : warned);
        QCOMPARE(written(record), expected);
        QVERIFY2(m_events.isEmpty(), "the shortened text is kept, so no second warning");
    }

    // Opened first: a folder that cannot take the file warns of nothing before it fails.
    void folderInTheFilesPlace_failsBeforeAnyWarning()
    {
        QTemporaryDir dir;
        QVERIFY(QDir().mkdir(dir.filePath(qt(kConfigFileName))));
        ConfigRecord record;
        record.messages[0] = Text(197, u'x');
        m_events.clear();
        const WriteResult result = writeConfigFile(record, text(dir.path()), m_hooks);
        QVERIFY(!result.ok && !result.reason.empty() && m_events.isEmpty());
        QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                 QStringList{qt(kConfigFileName)});
    }
};

QTEST_GUILESS_MAIN(TestWriter)
#include "tst_writer.moc"
