// The window in process: its two reacting controls, Tab into the command grid, and what a screen
// reader is told. The writer's boxes, seen through real input, are the end-to-end check's
// (e2e/drive.py).

#include "golden.h"
#include "qtform.h"

#include <QAccessible>
#include <QCheckBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QtTest>

using namespace quorlex;

class TestWindow : public QObject
{
    Q_OBJECT
    QTemporaryDir m_dir;
    std::unique_ptr<QtForm> m_form;

    template <typename T = QWidget> T *find(const QString &name)
    {
        return m_form->findChild<T *>(name);
    }
    void click(const QString &name)
    {
        QTest::mouseClick(find(name), Qt::LeftButton, {}, find(name)->rect().center());
    }
    QByteArray file() { return readFile(m_dir.filePath("QUORLEX_CONFIG.txt")); }

private Q_SLOTS:
    void init()
    {
        m_form = std::make_unique<QtForm>();
        m_form->setOutputFolder(text(m_dir.path()));
        m_form->load();
        m_form->show();
        QVERIFY(QTest::qWaitForWindowActive(m_form.get()));
    }
    void cleanup()
    {
        m_form.reset();
        for (QWidget *window : QApplication::topLevelWidgets())
            QVERIFY2(!window->isVisible(), "every box was answered and closed");
    }

    void ipBanner_isRefusedWithTheUpdateBox()
    {
        QString seen;
        QTimer::singleShot(0, this, [&seen] { // runs once the box is open
            if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
                seen = box->windowTitle() + ": " + box->text() +
                       QString(" (icon %1, %2 button)").arg(box->icon()).arg(box->buttons().size());
                box->button(QMessageBox::Ok)->click();
            }
        });
        click("chkSettings(0)");
        QCOMPARE(seen, "Update: The 3rd party ip log ban utility is no longer supported. please "
                       "upgrade to the integrated ip log/ban utility (icon 0, 1 button)");
        QVERIFY(!find<QCheckBox>("chkSettings(0)")->isChecked());
    }

    void tieredAdmin_switchesBothFramesAndKeepsTheirValues()
    {
        const auto frames = [this] {
            return QList<bool>{find("fmeAdmin")->isEnabled(), find("fmePassword")->isEnabled()};
        };
        QCOMPARE(frames(), QList<bool>({false, false}));
        click("chkUseTieredAdmin");
        QCOMPARE(frames(), QList<bool>({true, true}));
        click("optIntermediate(15)");
        find<QLineEdit>("txtPass(0)")->setText("kept");
        click("chkUseTieredAdmin");
        QCOMPARE(frames(), QList<bool>({false, false}));
        click("optFull(15)"); // a disabled row takes no click
        click("chkUseTieredAdmin");
        click("Command1");
        QCOMPARE(file(), tiered("kick=2\r\n", "kept"));
    }

    void tab_landsOnTheSelectedLevel()
    {
        find<QRadioButton>("optIntermediate(0)")->setChecked(true);
        find<QRadioButton>("optIntermediate(41)")->setChecked(true);
        const auto tabFrom = [this](const QString &from, Qt::KeyboardModifier modifier) {
            find(from)->setFocus();
            QTest::keyClick(find(from), Qt::Key_Tab, modifier);
            return QApplication::focusWidget()->objectName();
        };
        QCOMPARE(tabFrom("chkUseTieredAdmin", Qt::NoModifier), "chkWeapon(0)"); // grid disabled
        click("chkUseTieredAdmin");
        QCOMPARE(tabFrom("chkUseTieredAdmin", Qt::NoModifier), "optIntermediate(0)");
        QCOMPARE(tabFrom("txtPass(0)", Qt::ShiftModifier), "optIntermediate(41)");
    }

    void screenReader_namesTheWindowAndEachLevel()
    {
        QAccessibleInterface *window = QAccessible::queryAccessibleInterface(m_form.get());
        QCOMPARE(window->role(), QAccessible::Window);
        QCOMPARE(window->text(QAccessible::Name), "QUORLEX_CONFIG");
        QStringList read;
        for (const char *level : {"optDisable", "optLow", "optIntermediate", "optFull"}) {
            auto *button = QAccessible::queryAccessibleInterface(find(level + QString("(15)")));
            read << button->text(QAccessible::Description) + ", " + button->text(QAccessible::Name);
        }
        QCOMPARE(read,
                 QStringList({"kick, Disabled", "kick, Low", "kick, Intermediate", "kick, Full"}));
    }
};

QTEST_MAIN(TestWindow)
#include "tst_window.moc"
