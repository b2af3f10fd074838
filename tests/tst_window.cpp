// The window in process: the rows that are never shown, a password kept while "Use Tiered Admin?"
// is off, and where the window goes on its screen. The boxes, seen through real input, the tiered
// grid taking clicks only while ticked, the folder said at start and what a screen reader reads
// are the end-to-end check's (e2e/drive.py).

#include "golden.h"
#include "placement.h"
#include "qtform.h"

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

    QWidget *find(const QString &name) { return m_form->findChild<QWidget *>(name); }
    void click(const QString &name) { QTest::mouseClick(find(name), Qt::LeftButton); }

private Q_SLOTS:
    void init()
    {
        m_form = std::make_unique<QtForm>();
        m_form->setOutputFolder(m_dir.path().toStdU16String());
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
        for (int row = 0; row <= 42; ++row)
            selected << (row == 3 ? "optLow(3)" : QString("optDisable(%1)").arg(row));
        find("chkWeapon(0)")->setFocus();
        do {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            stops << QApplication::focusWidget()->objectName();
        } while (stops.last() != "chkWeapon(0)" && stops.size() < 400);
        QCOMPARE(stops.filter("opt"), selected);
        QCOMPARE(stops.value(stops.indexOf("optDisable(42)") - 1), "optDisable(41)");
        // A password typed is kept while "Use Tiered Admin?" is off, and written once it is on.
        m_form->findChild<QLineEdit *>("txtPass(0)")->setText("kept");
        click("chkUseTieredAdmin");
        click("chkUseTieredAdmin");
        click("Command1");
        QCOMPARE(readFile(m_dir.filePath("QUORLEX_CONFIG.txt")), tiered("botreset=1\r\n", "kept"));
        // A text the window is given back keeps a leading U+FEFF, as the file does.
        m_form->setText(ctl::txtMessage(0), u"\uFEFFx");
        QCOMPARE(m_form->text(ctl::txtMessage(0)), u"\uFEFFx");
    }

    void placement_keepsTheWindowInsideTheWorkArea_data()
    {
        QTest::addColumn<QRect>("window");
        QTest::addColumn<QRect>("workArea");
        QTest::addColumn<QPoint>("kept");
        const auto row = [](const char *name, QRect window, QRect workArea, QPoint kept) {
            QTest::newRow(name) << window << workArea << kept;
        };
        // 1920 x 1080 at 150 %: the task bar takes 72 pixels; the window is 1497 x 990.
        const QRect fullHd(0, 0, 1920, 1008);
        row("150 %, fits where placed", {26, 10, 1497, 990}, fullHd, {26, 10});
        row("150 %, under the task bar", {200, 150, 1497, 990}, fullHd, {200, 18});
        row("150 %, past the right edge", {600, 0, 1497, 990}, fullHd, {423, 0});
        // 1366 x 768 at 125 %: the window, 1250 x 818, is taller than the work area of 728.
        const QRect laptop(0, 0, 1366, 728);
        row("125 %, taller than the work area", {130, 90, 1250, 818}, laptop, {116, 0});
        row("wider and taller", {-40, -30, 1500, 900}, laptop, {0, 0});
        // A second monitor left of the first, with its task bar at the top.
        row("second monitor", {-1000, 0, 900, 700}, {-1280, 40, 1280, 984}, {-1000, 40});
        row("left of the work area", {-100, 300, 900, 700}, fullHd, {0, 300});
    }
    void placement_keepsTheWindowInsideTheWorkArea()
    {
        QFETCH(QRect, window);
        QFETCH(QRect, workArea);
        QFETCH(QPoint, kept);
        const auto screen = [](const QRect &r) {
            return ScreenRect{r.x(), r.y(), r.x() + r.width(), r.y() + r.height()};
        };
        QCOMPARE(keptInside(screen(window), screen(workArea)), screen(QRect(kept, window.size())));
    }
};

QTEST_MAIN(TestWindow)
#include "tst_window.moc"
