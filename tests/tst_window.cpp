// The window in process: "Use Tiered Admin?", the rows that are never shown and where the window
// goes on its screen. The boxes, seen through real input, the folder
// said at start and what a screen reader reads are the end-to-end check's (e2e/drive.py).

#include "golden.h"
#include "placement.h"
#include "qtform.h"

#include <QCheckBox>
#include <QLineEdit>
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

    void hiddenRows_getNoWidgets()
    {
        QVERIFY(find("lblCommand(41)") && find("optFull(41)"));
        QVERIFY(!find("lblCommand(42)") && !find("fmeAdminLevel(59)") && !find("optFull(59)"));
        QCOMPARE(m_form->findChildren<QRadioButton *>().size(), 42 * 4);
        // Shown after all, a row gets its widgets, at Disabled and in its place in the tab order:
        // Tab from the first check box stops at each row once, at its selected level.
        click("chkUseTieredAdmin");
        m_form->showControl(ctl::lblCommand(42), true);
        m_form->showControl(ctl::fmeAdminLevel(42), true);
        QVERIFY(find("lblCommand(42)")->isVisible());
        click("optLow(3)");
        QStringList selected, stops;
        for (const QRadioButton *button : m_form->findChildren<QRadioButton *>()) {
            if (button->isChecked())
                selected << button->objectName();
        }
        find("chkWeapon(0)")->setFocus();
        do {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            stops << QApplication::focusWidget()->objectName();
        } while (stops.last() != "chkWeapon(0)" && stops.size() < 400);
        QCOMPARE(stops.filter("opt"), selected);
        QCOMPARE(stops.value(stops.indexOf("optDisable(42)") - 1), "optDisable(41)");
    }

    void placement_keepsTheWindowInsideTheWorkArea_data()
    {
        QTest::addColumn<QRect>("window");
        QTest::addColumn<QRect>("workArea");
        QTest::addColumn<QPoint>("kept");
        // 1920 x 1080 at 150 %: the task bar takes 72 pixels; the window is 1497 x 990.
        const QRect fullHd(0, 0, 1920, 1008);
        QTest::newRow("150 %, fits where placed")
            << QRect(26, 10, 1497, 990) << fullHd << QPoint(26, 10);
        QTest::newRow("150 %, under the task bar")
            << QRect(200, 150, 1497, 990) << fullHd << QPoint(200, 18);
        QTest::newRow("150 %, past the right edge")
            << QRect(600, 0, 1497, 990) << fullHd << QPoint(423, 0);
        // 1366 x 768 at 125 %: the window, 1250 x 818, is taller than the work area of 728.
        const QRect laptop(0, 0, 1366, 728);
        QTest::newRow("125 %, taller than the work area")
            << QRect(130, 90, 1250, 818) << laptop << QPoint(116, 0);
        QTest::newRow("wider and taller") << QRect(-40, -30, 1500, 900) << laptop << QPoint(0, 0);
        // A second monitor left of the first, with its task bar at the top.
        QTest::newRow("second monitor")
            << QRect(-1000, 0, 900, 700) << QRect(-1280, 40, 1280, 984) << QPoint(-1000, 40);
        QTest::newRow("left of the work area")
            << QRect(-100, 300, 900, 700) << fullHd << QPoint(0, 300);
    }
    void placement_keepsTheWindowInsideTheWorkArea()
    {
        QFETCH(QRect, window);
        QFETCH(QRect, workArea);
        QFETCH(QPoint, kept);
        const auto screen = [](const QRect &r) {
            return ScreenRect{r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
        };
        const ScreenRect placed = keptInside(screen(window), screen(workArea));
        QCOMPARE(placed, screen(QRect(kept, window.size())));
    }
};

QTEST_MAIN(TestWindow)
#include "tst_window.moc"
