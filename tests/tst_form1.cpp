// The setup window in process: its controls against the control table, keyboard, the three
// handlers, and files written through real clicks.

#include "configwriter.h"
#include "controltable.h"
#include "expectedfile.h"
#include "form1.h"
#include "modalboxes.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QtTest>

using namespace quorlex;

using Selection = QMap<int, QString>;

namespace
{

const char *kindClass(ControlKind kind)
{
    switch (kind) {
    case ControlKind::Frame:
        return "QGroupBox";
    case ControlKind::Label:
        return "QLabel";
    case ControlKind::CheckBox:
        return "QCheckBox";
    case ControlKind::OptionButton:
        return "QRadioButton";
    case ControlKind::TextBox:
        return "QLineEdit";
    case ControlKind::PushButton:
        return "QPushButton";
    }
    return "";
}

QString name(const char *base, int index)
{
    return QStringLiteral("%1(%2)").arg(QLatin1String(base)).arg(index);
}

// The stops of one walk round the window with Tab, starting on "Shotgun".
QStringList tabStops(bool tiered, const Selection &selectedButtons)
{
    QStringList stops;
    for (int i = 0; i < 14; ++i)
        stops << name("chkWeapon", i);
    for (int i = 0; i < 5; ++i)
        stops << name("chkGrenade", i);
    for (int i = 0; i < 10; ++i)
        stops << name("txtMessage", i);
    for (int i = 0; i < 6; ++i)
        stops << name("chkSettings", i);
    stops << "txtFrequency"
          << "Command1"
          << "chkUseTieredAdmin";
    if (tiered) {
        for (int i = 0; i < 42; ++i)
            stops << selectedButtons.value(i, name("optDisable", i));
        stops << "txtPass(0)"
              << "txtPass(1)";
    }
    return stops;
}

} // namespace

Q_DECLARE_METATYPE(Selection)

class TestForm1 : public QObject
{
    Q_OBJECT

    QTemporaryDir *m_dir = nullptr;
    Form1 *m_form = nullptr;
    // One window as created, before its load step, shared by the table-driven check.
    QScopedPointer<Form1> m_unloaded;

    template <typename T = QWidget> T *find(const QString &objectName)
    {
        T *w = m_form->findChild<T *>(objectName);
        if (!w)
            qWarning("no control %s", qPrintable(objectName));
        return w;
    }
    void click(const QString &objectName)
    {
        QWidget *w = find(objectName);
        QVERIFY(w);
        QTest::mouseClick(w, Qt::LeftButton, {}, w->rect().center());
    }
    QByteArray writtenFile()
    {
        QFile f(m_dir->filePath("QUORLEX_CONFIG.txt"));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<no file>");
    }
    void openForm(bool loaded = true)
    {
        m_form = new Form1;
        m_form->setOutputFolder(m_dir->path());
        if (loaded)
            m_form->load();
        m_form->show();
        QVERIFY(QTest::qWaitForWindowActive(m_form));
    }

private Q_SLOTS:
    void cleanupTestCase() { m_unloaded.reset(); }
    void init()
    {
        m_dir = new QTemporaryDir;
        QVERIFY(m_dir->isValid());
    }
    void cleanup()
    {
        delete m_form;
        m_form = nullptr;
        delete m_dir;
        m_dir = nullptr;
        // Every message box was answered and closed; nothing is left on screen.
        const auto visibleTopLevels = [] {
            const QWidgetList all = QApplication::topLevelWidgets();
            return std::count_if(all.begin(), all.end(), [](QWidget *w) { return w->isVisible(); });
        };
        QTRY_COMPARE(visibleTopLevels(), 0);
    }

    void creation_everyControlAsTheTableGivesIt_data()
    {
        QTest::addColumn<int>("row");
        for (int i = 0; i < int(formControls().size()); ++i)
            QTest::newRow(qPrintable(formControls()[i].name)) << i;
    }
    void creation_everyControlAsTheTableGivesIt()
    {
        QFETCH(int, row);
        if (!m_unloaded)
            m_unloaded.reset(new Form1);
        const ControlSpec &spec = formControls()[row];
        QWidget *w = m_unloaded->findChild<QWidget *>(spec.name);
        QVERIFY(w);
        QCOMPARE(w->metaObject()->className(), kindClass(spec.kind));
        QCOMPARE(w->parentWidget()->objectName(), spec.container);
        QCOMPARE(w->geometry(), QRect(spec.twips.x() / 15, spec.twips.y() / 15,
                                      spec.twips.width() / 15, spec.twips.height() / 15));
        // Its own enabled state; a control in a disabled frame is disabled through the frame.
        QCOMPARE(!w->testAttribute(Qt::WA_ForceDisabled), spec.enabled);
        QVERIFY(!w->isHidden());
        if (auto *box = qobject_cast<QCheckBox *>(w)) {
            QCOMPARE(box->text(), spec.caption);
            QCOMPARE(int(box->checkState()), spec.state == 1 ? int(Qt::Checked) : 0);
            QVERIFY(!box->isTristate());
        } else if (auto *button = qobject_cast<QRadioButton *>(w)) {
            QVERIFY(button->text().isEmpty());
            QCOMPARE(button->isChecked(), spec.state == 1);
            QCOMPARE(button->toolTip(), spec.levelName);
            QCOMPARE(button->accessibleName(), spec.levelName);
        } else if (auto *edit = qobject_cast<QLineEdit *>(w)) {
            QCOMPARE(edit->text(), spec.caption);
            QCOMPARE(edit->echoMode(), QLineEdit::Normal);
            QVERIFY(edit->maxLength() > 1000000);
        } else if (auto *label = qobject_cast<QLabel *>(w)) {
            QCOMPARE(label->text(), spec.caption);
            QVERIFY(label->wordWrap());
        } else if (auto *frame = qobject_cast<QGroupBox *>(w)) {
            QCOMPARE(frame->title(), spec.caption);
        } else if (auto *push = qobject_cast<QPushButton *>(w)) {
            QCOMPARE(push->text(), spec.caption);
            QVERIFY(!push->isDefault() && !push->autoDefault());
        }
    }

    void creation_windowAndLandmarks()
    {
        Form1 form;
        QCOMPARE(form.objectName(), QStringLiteral("Form1"));
        QCOMPARE(form.windowTitle(), QStringLiteral("QUORLEX_CONFIG"));
        QCOMPARE(form.size(), QSize(987, 622));
        const QList<QWidget *> all = form.findChildren<QWidget *>();
        QStringList named;
        QStringList disabled;
        for (QWidget *w : all) {
            if (w->objectName().isEmpty() || w->objectName().startsWith("qt_"))
                continue;
            named << w->objectName();
            if (!w->isEnabled() && w->parentWidget()->isEnabled())
                disabled << w->objectName();
        }
        QCOMPARE(named.size(), 410);
        QCOMPARE(QSet<QString>(named.begin(), named.end()).size(), 410);
        disabled.sort();
        QCOMPARE(disabled, (QStringList{"fmeAdmin", "fmePassword"}));

        // Positions in pixels at 96 dpi, as the administrator's screen shows them.
        const auto geometry = [&](const QString &n) {
            return form.findChild<QWidget *>(n)->geometry();
        };
        QCOMPARE(geometry("lblCommand(0)"), QRect(8, 32, 65, 13));
        QCOMPARE(geometry("fmeAdminLevel(0)"), QRect(76, 20, 69, 29));
        QCOMPARE(geometry("optFull(0)"), QRect(52, 12, 13, 13));
        QCOMPARE(geometry("lblCommand(20)").x(), 148);
        QCOMPARE(geometry("fmeAdminLevel(20)").x(), 216);
        QCOMPARE(geometry("lblCommand(40)").x(), 292);
        QCOMPARE(geometry("fmeAdminLevel(40)").x(), 360);
        QCOMPARE(geometry("lblCommand(59)").topLeft(), QPoint(292, 564));
        QCOMPARE(geometry("fmeAdminLevel(59)").topLeft(), QPoint(360, 552));
        const QRect admin = geometry("fmeAdmin");
        for (int row : {19, 39, 59}) {
            QVERIFY(geometry(name("fmeAdminLevel", row)).bottom() < admin.height() - 1);
            QVERIFY(geometry(name("fmeAdminLevel", row)).right() < admin.width() - 1);
        }
        QCOMPARE(geometry("Command1").right(), geometry("Frame3").right());
        QCOMPARE(geometry("txtFrequency"), QRect(124, 140, 25, 19));
    }

    void load_namesRowsFromTheCatalogueAndHidesTheRest()
    {
        openForm();
        for (int i = 0; i < 60; ++i) {
            auto *label = find<QLabel>(name("lblCommand", i));
            auto *frame = find<QGroupBox>(name("fmeAdminLevel", i));
            if (i < 42) {
                QCOMPARE(label->text(), commandNames()[i]);
                QVERIFY(label->isVisible() || !label->isHidden());
                QCOMPARE(frame->accessibleName(), commandNames()[i]);
                QCOMPARE(find(name("optLow", i))->accessibleDescription(), commandNames()[i]);
            } else {
                QCOMPARE(label->text(), QStringLiteral("A"));
                QVERIFY(label->isHidden());
                QVERIFY(frame->isHidden());
                QVERIFY(!find(name("optDisable", i))->isVisible());
            }
        }
        QCOMPARE(find<QLabel>("lblCommand(0)")->text(), QStringLiteral("addmsg"));
        QCOMPARE(find<QLabel>("lblCommand(41)")->text(), QStringLiteral("wipeout"));
    }

    void tabWalk_data()
    {
        QTest::addColumn<bool>("tiered");
        QTest::addColumn<QStringList>("clicks");
        QTest::addColumn<Selection>("selected");
        QTest::newRow("tiered admin off") << false << QStringList{} << Selection{};
        QTest::newRow("tiered admin on")
            << true << QStringList{"optIntermediate(15)", "optFull(41)", "optLow(20)"}
            << Selection{{15, "optIntermediate(15)"}, {41, "optFull(41)"}, {20, "optLow(20)"}};
    }
    void tabWalk()
    {
        QFETCH(bool, tiered);
        QFETCH(QStringList, clicks);
        QFETCH(Selection, selected);
        openForm();
        QCOMPARE(QApplication::focusWidget(), find("chkWeapon(0)"));
        if (tiered)
            click("chkUseTieredAdmin");
        for (const QString &c : clicks)
            click(c);
        find("chkWeapon(0)")->setFocus();

        const QStringList expected = tabStops(tiered, selected);
        QStringList walked;
        for (int step = 0; step < expected.size(); ++step) {
            walked << QApplication::focusWidget()->objectName();
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        }
        QCOMPARE(walked, expected);
        QCOMPARE(QApplication::focusWidget()->objectName(), QStringLiteral("chkWeapon(0)"));

        // Backwards the same stops come in reverse.
        QStringList back;
        for (int step = 0; step < expected.size(); ++step) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
            back.prepend(QApplication::focusWidget()->objectName());
        }
        QCOMPARE(back, expected);
    }

    void returnAndEscape_createNoFile_data()
    {
        QTest::addColumn<QString>("focus");
        QTest::newRow("on Shotgun") << "chkWeapon(0)";
        QTest::newRow("on a message") << "txtMessage(3)";
        QTest::newRow("on the button") << "Command1";
    }
    void returnAndEscape_createNoFile()
    {
        QFETCH(QString, focus);
        openForm();
        find(focus)->setFocus();
        for (auto key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape})
            QTest::keyClick(QApplication::focusWidget(), key);
        QTest::qWait(20);
        QCOMPARE(writtenFile(), QByteArray("<no file>"));
        QVERIFY(m_form->isVisible());
        // Space is how the keyboard presses a focused push button.
        find("Command1")->setFocus();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
        QCOMPARE(writtenFile(), expected::defaultFile());
    }

    void ipBanner_isRefusedWithTheUpdateBox()
    {
        openForm();
        ModalBoxes boxes;
        bool tickedWhileOpen = false;
        boxes.whileOpen = [&](const SeenBox &) {
            tickedWhileOpen = find<QCheckBox>("chkSettings(0)")->isChecked();
        };
        click("chkSettings(0)");
        QCOMPARE(boxes.seen.size(), 1);
        QCOMPARE(boxes.seen[0].title, QStringLiteral("Update"));
        QCOMPARE(boxes.seen[0].text,
                 QStringLiteral("The 3rd party ip log ban utility is no longer supported. please "
                                "upgrade to the integrated ip log/ban utility"));
        QCOMPARE(boxes.seen[0].icon, QMessageBox::NoIcon);
        QCOMPARE(boxes.seen[0].buttonCount, 1);
        QVERIFY(tickedWhileOpen);
        QCOMPARE(find<QCheckBox>("chkSettings(0)")->checkState(), Qt::Unchecked);

        // The other settings only hold their values.
        click("chkSettings(1)");
        click("chkSettings(3)");
        QCOMPARE(boxes.seen.size(), 1);
        click("Command1");
        const QByteArrayList lines = writtenFile().split('\n');
        QCOMPARE(lines.value(26), QByteArray("useIPBan=0\r"));
        QCOMPARE(lines.value(27), QByteArray("hardcoreevac=0\r"));
        QCOMPARE(lines.value(29), QByteArray("adminpeep=1\r"));
    }

    void tieredAdmin_togglesBothFramesAndKeepsChoices()
    {
        openForm();
        auto *admin = find<QGroupBox>("fmeAdmin");
        auto *password = find<QGroupBox>("fmePassword");
        QVERIFY(!admin->isEnabled() && !password->isEnabled());
        QVERIFY(!find("optFull(3)")->isEnabled());
        QVERIFY(!find("txtPass(0)")->isEnabled());
        // A click on a disabled row changes nothing.
        click("optFull(3)");
        QVERIFY(find<QRadioButton>("optDisable(3)")->isChecked());

        click("chkUseTieredAdmin");
        QVERIFY(admin->isEnabled() && password->isEnabled());
        click("optFull(3)");
        find<QLineEdit>("txtPass(0)")->setText("kept");
        click("chkUseTieredAdmin");
        QVERIFY(!admin->isEnabled() && !password->isEnabled());
        QVERIFY(!find("optFull(3)")->isEnabled());
        click("Command1");
        QCOMPARE(writtenFile(), expected::defaultFile());

        click("chkUseTieredAdmin");
        QVERIFY(admin->isEnabled() && password->isEnabled());
        QVERIFY(find<QRadioButton>("optFull(3)")->isChecked());
        QCOMPARE(find<QLineEdit>("txtPass(0)")->text(), QStringLiteral("kept"));
        click("Command1");
        QCOMPARE(writtenFile(), expected::tieredFile({"botreset=3"}, "kept"));
    }

    void rowSelection_changesOnlyThatRow()
    {
        openForm();
        click("chkUseTieredAdmin");
        click("optLow(7)");
        for (int i = 0; i < 60; ++i) {
            QCOMPARE(find<QRadioButton>(name("optDisable", i))->isChecked(), i != 7);
            QCOMPARE(find<QRadioButton>(name("optLow", i))->isChecked(), i == 7);
        }
        QCOMPARE(m_form->readRecord().commands[7].level, AccessLevel::Low);
        QCOMPARE(m_form->readRecord().commands[6].level, AccessLevel::Disabled);
    }

    void createConfigFile_writesWhatTheWindowShows_data()
    {
        QTest::addColumn<QStringList>("clicks");
        QTest::addColumn<QByteArray>("file");
        QTest::newRow("defaults") << QStringList{} << expected::defaultFile();
        QTest::newRow("kick at Intermediate")
            << QStringList{"chkUseTieredAdmin", "optIntermediate(15)"}
            << expected::tieredFile({"kick=2"});
        QTest::newRow("all three columns")
            << QStringList{"chkUseTieredAdmin", "optLow(0)",   "optFull(19)", "optIntermediate(20)",
                           "optLow(39)",        "optFull(41)", "optFull(40)", "optDisable(40)"}
            << expected::tieredFile({"addmsg=1", "mute=3", "nextlevel=2", "wait=1", "wipeout=3"});
    }
    void createConfigFile_writesWhatTheWindowShows()
    {
        QFETCH(QStringList, clicks);
        QFETCH(QByteArray, file);
        openForm();
        for (const QString &c : clicks)
            click(c);
        ModalBoxes boxes;
        click("Command1");
        QCOMPARE(writtenFile(), file);
        QVERIFY(boxes.seen.isEmpty());
    }

    void overlongMessages_areWarnedShownShortAndWrittenShort()
    {
        openForm();
        find<QLineEdit>("txtMessage(2)")->setText(QString(300, QLatin1Char('a')));
        find<QLineEdit>("txtMessage(6)")->setText(QString(197, QLatin1Char('b')));
        ModalBoxes boxes;
        QList<int> shownLengthOf2;
        boxes.whileOpen = [&](const SeenBox &) {
            shownLengthOf2 << int(find<QLineEdit>("txtMessage(2)")->text().size());
        };
        click("Command1");
        QCOMPARE(boxes.seen.size(), 2);
        QCOMPARE(boxes.seen[0].title, QStringLiteral("Warning"));
        QCOMPARE(boxes.seen[0].text, QStringLiteral("Message 3 too long!"));
        QCOMPARE(boxes.seen[1].text, QStringLiteral("Message 7 too long!"));
        QCOMPARE(boxes.seen[1].icon, QMessageBox::NoIcon);
        // Message 3 is shown shortened before message 7 is even looked at.
        QCOMPARE(shownLengthOf2, (QList<int>{300, 196}));
        QCOMPARE(find<QLineEdit>("txtMessage(2)")->text(), QString(196, QLatin1Char('a')));
        QCOMPARE(find<QLineEdit>("txtMessage(6)")->text(), QString(196, QLatin1Char('b')));
        const QByteArray file = writtenFile();
        QVERIFY(file.contains("\r\n<2>" + QByteArray(196, 'a') + "\r\n"));
        QVERIFY(file.contains("\r\n<6>" + QByteArray(196, 'b') + "\r\n"));

        click("Command1");
        QCOMPARE(boxes.seen.size(), 2);
        QCOMPARE(writtenFile(), file);
    }

    void writeFailure_showsErrorAndTheWindowGoesOn()
    {
        openForm();
        QVERIFY(QDir(m_dir->path()).mkdir("QUORLEX_CONFIG.txt"));
        ModalBoxes boxes;
        click("Command1");
        QCOMPARE(boxes.seen.size(), 1);
        QCOMPARE(boxes.seen[0].title, QStringLiteral("Error"));
        QVERIFY2(boxes.seen[0].text.contains(configFilePath(m_dir->path())),
                 qPrintable(boxes.seen[0].text));
        QCOMPARE(boxes.seen[0].icon, QMessageBox::NoIcon);
        QCOMPARE(boxes.seen[0].buttonCount, 1);
        QVERIFY(m_form->isVisible());

        QVERIFY(QDir(m_dir->path()).rmdir("QUORLEX_CONFIG.txt"));
        click("Command1");
        QCOMPARE(boxes.seen.size(), 1);
        QCOMPARE(writtenFile(), expected::defaultFile());
    }
};

QTEST_MAIN(TestForm1)
#include "tst_form1.moc"
