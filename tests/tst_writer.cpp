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
        [this](int slot, const Text &t) { m_events << QString::number(slot) + ": " + qt(t); }};

    QByteArray written(ConfigRecord &record)
    {
        m_events.clear();
        const WriteResult result = writeConfigFile(record, m_dir.path().toStdU16String(), m_hooks);
        return result.ok ? readFile(m_dir.filePath(qt(kConfigFileName)))
                         : qt(result.reason).toUtf8();
    }

private Q_SLOTS:
    void file_data()
    {
        QTest::addColumn<Edit>("edit");
        QTest::addColumn<QByteArray>("expected");
        QTest::addColumn<QString>("shortened"); // as the window is told, when warned
        const auto row = [](const QByteArray &name, const QByteArray &expected, Edit edit) {
            QTest::newRow(name.constData()) << edit << expected << QString();
        };
        const auto levels = [](std::map<int, AccessLevel> rows) {
            return Edit([=](ConfigRecord &r) {
                r.useTieredAdmin = true;
                for (auto [row, level] : rows)
                    r.commands[row].level = level;
            });
        };
        // Message 4 holds `text` and is written as `line`.
        const auto message = [](const char *name, const QString &text, const QByteArray &line,
                                const QString &shortened = {}) {
            const Edit edit = [=](ConfigRecord &r) { r.messages[3] = text.toStdU16String(); };
            QTest::newRow(name) << edit << golden("<3>\r\n", "<3>" + line + "\r\n") << shortened;
        };
        using L = AccessLevel;
        row("defaults", golden(), [](ConfigRecord &) {});
        row("tiered, all Disabled", tiered(""), levels({}));
        row("levels in catalogue order, hidden rows never",
            tiered("addmsg=3\r\nkick=2\r\nweaponban=1\r\n"),
            levels({{40, L::Low}, {15, L::Intermediate}, {0, L::Full}, {59, L::Full}}));
        row("empty passwords, pasted lines", tiered("", "", "x  [Commands] kick=3"),
            [](ConfigRecord &r) {
                r.useTieredAdmin = true;
                r.passwords = {Text(), u"x\r\n[Commands]\nkick=3"};
            });
        const auto frequency = [](const QString &text) {
            return Edit([=](ConfigRecord &r) { r.messageFrequency = text.toStdU16String(); });
        };
        for (const QByteArray number : {"30", " 30", "-4 ", "+007", "99999999999"})
            row("frequency '" + number + "' as typed", golden("frequency=2", "frequency=" + number),
                frequency(number));
        for (const QByteArray text : {"", "   ", "often", "3x", "2.5", "1 2", "-"})
            row("frequency '" + text + "' is 2", golden(), frequency(text));
        message("controls and separators become blanks",
                QStringLiteral("a\r\nb\tc\0d\u007Fe\u0085f\u0081g\u2028h\u2029i"),
                "a  b c d e f g h i");
        message("Windows-1252 after NFC, ? for unmapped, a leading U+FEFF no byte order mark",
                QStringLiteral("\uFEFFGrüße €„…™Ÿ e\u0301 Ω中😀"),
                "?Gr\xFC\xDF"
                "e \x80\x84\x85\x99\x9F \xE9 ???");
        const QString a195(195, QLatin1Char('a'));
        const QString smile = QString::fromUcs4(U"\U0001F600");
        message("196 whole", a195 + 'a', QByteArray(196, 'a'));
        message("197 cut", a195 + "ab", QByteArray(196, 'a'), a195 + 'a');
        message("code points, not units", smile.repeated(196), QByteArray(196, '?'));
        message("pair never split", a195 + smile + smile, QByteArray(195, 'a') + "?", a195 + smile);
        message("counted after NFC", QStringLiteral("e\u0301").repeated(196),
                QByteArray(196, '\xE9'));
        // Longer than the head that is composed first: the head must be composed too.
        message("decomposed, past the first head", QStringLiteral("e\u0301").repeated(300),
                QByteArray(196, '\xE9'), QStringLiteral("\u00E9").repeated(196));
    }
    void file()
    {
        QFETCH(Edit, edit);
        QFETCH(QByteArray, expected);
        QFETCH(QString, shortened);
        ConfigRecord record;
        edit(record);
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
        QVERIFY(QDir(dir.path()).mkdir(qt(kConfigFileName)));
        ConfigRecord record;
        record.messages[0] = Text(197, u'x');
        m_events.clear();
        const WriteResult result = writeConfigFile(record, dir.path().toStdU16String(), m_hooks);
        QVERIFY(!result.ok && !result.reason.empty() && m_events.isEmpty());
        QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                 QStringList{qt(kConfigFileName)});
    }
};

QTEST_GUILESS_MAIN(TestWriter)
#include "tst_writer.moc"
