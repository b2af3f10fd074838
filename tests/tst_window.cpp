// The window in process: its two reacting controls, keys that must write nothing, the boxes
// the writer raises, Tab into the command grid, and what a screen reader is told.

#include "form1.h"
#include "golden.h"

#include <QAccessible>
#include <QCheckBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QtTest>

#include <stdexcept>

using namespace quorlex;

// Answers each modal box as it opens with OK, noting title, text, icon and buttons first.
class Boxes : public QObject
{
public:
    Boxes()
    {
        m_timer.callOnTimeout(this, &Boxes::answer);
        m_timer.start(5);
    }
    std::function<void()> whileOpen = [] {};
    QStringList seen;

private:
    void answer()
    {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box || !box->isVisible())
            return;
        seen << QStringLiteral("%1: %2 (icon %3, %4 button)")
                    .arg(box->windowTitle(), box->text())
                    .arg(box->icon())
                    .arg(box->buttons().size());
        whileOpen();
        box->button(QMessageBox::Ok)->click();
    }
    QTimer m_timer;
};

class TestWindow : public QObject
{
    Q_OBJECT
    QTemporaryDir *m_dir = nullptr;
    Form1 *m_form = nullptr;

    template <typename T = QWidget> T *find(const QString &name)
    {
        auto *widget = m_form->findChild<T *>(name);
        return widget ? widget : throw std::runtime_error(qPrintable(name));
    }
    void click(const QString &name)
    {
        QWidget *widget = find(name);
        QTest::mouseClick(widget, Qt::LeftButton, {}, widget->rect().center());
    }
    QByteArray file() { return readFile(m_dir->filePath(QStringLiteral("QUORLEX_CONFIG.txt"))); }

private Q_SLOTS:
    void init()
    {
        m_dir = new QTemporaryDir;
        m_form = new Form1;
        m_form->setOutputFolder(m_dir->path());
        m_form->load();
        m_form->show();
        QVERIFY(QTest::qWaitForWindowActive(m_form));
    }
    void cleanup()
    {
        delete m_form;
        delete m_dir;
        const QWidgetList windows = QApplication::topLevelWidgets();
        QTRY_VERIFY(std::none_of(windows.begin(), windows.end(),
                                 [](QWidget *w) { return w->isVisible(); }));
    }

    void ipBanner_isRefusedWithTheUpdateBox()
    {
        Boxes boxes;
        click("chkSettings(0)");
        QCOMPARE(boxes.seen, QStringList{"Update: The 3rd party ip log ban utility is no longer "
                                         "supported. please upgrade to the integrated ip log/ban "
                                         "utility (icon 0, 1 button)"});
        QVERIFY(!find<QCheckBox>("chkSettings(0)")->isChecked());
    }

    void tieredAdmin_switchesBothFramesAndKeepsTheirValues()
    {
        const auto frames = [this] {
            return QList<bool>{find("fmeAdmin")->isEnabled(), find("fmePassword")->isEnabled()};
        };
        QCOMPARE(frames(), (QList<bool>{false, false}));
        click("chkUseTieredAdmin");
        QCOMPARE(frames(), (QList<bool>{true, true}));
        click("optIntermediate(15)");
        find<QLineEdit>("txtPass(0)")->setText("kept");
        click("chkUseTieredAdmin");
        QCOMPARE(frames(), (QList<bool>{false, false}));
        click("optFull(15)");
        click("chkUseTieredAdmin");
        click("Command1");
        QCOMPARE(file(), tiered("kick=2\r\n", "kept"));
    }

    void keys_returnEnterAndEscapeWriteNothing()
    {
        find("Command1")->setFocus();
        for (auto key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape})
            QTest::keyClick(find("Command1"), key);
        QCOMPARE(file(), QByteArray("<missing>"));
        QTest::keyClick(find("Command1"), Qt::Key_Space);
        QCOMPARE(file(), golden());
    }

    void overlongMessage_isWarnedThenShownShortened()
    {
        find<QLineEdit>("txtMessage(3)")->setText(QString(197, QLatin1Char('m')));
        Boxes boxes;
        qsizetype shownWhileOpen = 0;
        boxes.whileOpen = [&] { shownWhileOpen = find<QLineEdit>("txtMessage(3)")->text().size(); };
        click("Command1");
        QCOMPARE(boxes.seen, QStringList{"Warning: Message 4 too long! (icon 0, 1 button)"});
        QCOMPARE(shownWhileOpen, 197);
        QCOMPARE(find<QLineEdit>("txtMessage(3)")->text(), QString(196, QLatin1Char('m')));
        click("Command1");
        QCOMPARE(boxes.seen.size(), 1);
        QCOMPARE(file(), golden("<3>", "<3>" + QByteArray(196, 'm')));
    }

    void writeFailure_showsErrorAndTheWindowGoesOn()
    {
        QVERIFY(QDir(m_dir->path()).mkdir("QUORLEX_CONFIG.txt"));
        Boxes boxes;
        click("Command1");
        QCOMPARE(boxes.seen.size(), 1);
        QVERIFY2(boxes.seen[0].startsWith("Error: ") &&
                     boxes.seen[0].endsWith("(icon 0, 1 button)"),
                 qPrintable(boxes.seen[0]));
        QVERIFY(QDir(m_dir->path()).rmdir("QUORLEX_CONFIG.txt"));
        click("Command1");
        QCOMPARE(file(), golden());
    }

    void tab_landsOnTheSelectedLevel_data()
    {
        QTest::addColumn<bool>("tiered");
        QTest::addColumn<QString>("from");
        QTest::addColumn<Qt::KeyboardModifier>("modifier");
        QTest::addColumn<QString>("landsOn");
        QTest::newRow("forward into row 0")
            << true << "chkUseTieredAdmin" << Qt::NoModifier << "optIntermediate(0)";
        QTest::newRow("backward into row 41")
            << true << "txtPass(0)" << Qt::ShiftModifier << "optIntermediate(41)";
        QTest::newRow("grid passed over while off")
            << false << "chkUseTieredAdmin" << Qt::NoModifier << "chkWeapon(0)";
    }
    void tab_landsOnTheSelectedLevel()
    {
        QFETCH(bool, tiered);
        QFETCH(QString, from);
        QFETCH(Qt::KeyboardModifier, modifier);
        QFETCH(QString, landsOn);
        if (tiered)
            click("chkUseTieredAdmin");
        find<QRadioButton>("optIntermediate(0)")->setChecked(true);
        find<QRadioButton>("optIntermediate(41)")->setChecked(true);
        find(from)->setFocus();
        QTest::keyClick(find(from), Qt::Key_Tab, modifier);
        QCOMPARE(QApplication::focusWidget()->objectName(), landsOn);
    }

    void screenReader_namesTheWindowAndEachLevel()
    {
        QAccessibleInterface *window = QAccessible::queryAccessibleInterface(m_form);
        QCOMPARE(window->role(), QAccessible::Window);
        QCOMPARE(window->text(QAccessible::Name), QStringLiteral("QUORLEX_CONFIG"));
        const QMap<QString, QString> levels{{"optDisable(15)", "Disabled"},
                                            {"optLow(15)", "Low"},
                                            {"optIntermediate(15)", "Intermediate"},
                                            {"optFull(15)", "Full"}};
        for (auto [button, level] : levels.asKeyValueRange()) {
            QAccessibleInterface *reader = QAccessible::queryAccessibleInterface(find(button));
            QCOMPARE(reader->text(QAccessible::Name), level);
            QCOMPARE(reader->text(QAccessible::Description), QStringLiteral("kick"));
        }
    }
};

QTEST_MAIN(TestWindow)
#include "tst_window.moc"
