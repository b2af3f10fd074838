// The catalogues and the defaults every run starts from.

#include "configrecord.h"
#include "filetext.h"

#include <QtTest>

using namespace quorlex;

class TestConfigRecord : public QObject
{
    Q_OBJECT

    template <std::size_t N>
    static QStringList keysWhere(const std::array<FlagEntry, N> &catalogue,
                                 const std::array<bool, N> &flags)
    {
        QStringList keys;
        for (std::size_t i = 0; i < N; ++i) {
            if (flags[i])
                keys << QLatin1String(catalogue[i].key);
        }
        return keys;
    }

private Q_SLOTS:
    void catalogueSplit_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("name");
        QTest::newRow("first") << 0 << "addmsg";
        QTest::newRow("row 11") << 11 << "gethitmiss";
        QTest::newRow("row 15") << 15 << "kick";
        QTest::newRow("last") << 41 << "wipeout";
    }
    void catalogueSplit()
    {
        QFETCH(int, row);
        QFETCH(QString, name);
        QCOMPARE(commandNames().size(), 42);
        QCOMPARE(commandNames().at(row), name);
    }

    void catalogueNames_areLowerCaseWithoutBlanks()
    {
        for (const QString &name : commandNames()) {
            QVERIFY2(!name.isEmpty() && name == name.toLower() && !name.contains(QLatin1Char(' ')),
                     qPrintable(name));
        }
        QCOMPARE(QSet<QString>(commandNames().begin(), commandNames().end()).size(), 42);
    }

    void defaultRecord_holdsTheBuiltInChoices()
    {
        const ConfigRecord record;
        QCOMPARE(keysWhere(kWeapons, record.weaponBan),
                 (QStringList{"smartgun", "minigun", "predpistol", "disc"}));
        QCOMPARE(keysWhere(kGrenades, record.grenadeBan), (QStringList{"proxy", "spider"}));
        QCOMPARE(keysWhere(kSettings, record.settings), (QStringList{"hardcoreevac", "IDsInName"}));
        QVERIFY(!record.useTieredAdmin);
        QCOMPARE(record.messageFrequency, QStringLiteral("2"));
        QCOMPARE(record.passwords[0], QStringLiteral("greenharbor"));
        QCOMPARE(record.passwords[1], QStringLiteral("silvermountainrivers"));
        for (int i = 0; i < kCommandRowCapacity; ++i) {
            QCOMPARE(record.commands[i].level, AccessLevel::Disabled);
            QCOMPARE(record.commands[i].name, commandNames().value(i));
        }
        QCOMPARE(record.messages[1],
                 QStringLiteral("Dont like the rules??? Then leave and rent your own server"));
        for (int i = 2; i < kMessageCount; ++i)
            QVERIFY(record.messages[i].isEmpty());
    }

    void creditLine_isOneShortLineNamingAuthorAndAddress()
    {
        const QString credit = ConfigRecord().messages[0];
        QVERIFY(credit.contains(QStringLiteral("the QUORLEX authors")));
        QVERIFY(credit.contains(QStringLiteral("example.org")));
        QVERIFY(characterCount(credit) <= 120);
        QCOMPARE(writtenForm(credit), credit);
        QCOMPARE(toFileBytes(credit), credit.toLatin1());
    }
};

QTEST_GUILESS_MAIN(TestConfigRecord)
#include "tst_configrecord.moc"
