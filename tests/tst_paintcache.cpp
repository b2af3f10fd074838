// Option buttons that copy earlier renderings must leave exactly the pixels that the style leaves
// for plain QRadioButtons, in every state and at every scale.

#include "levelbutton.h"
#include "paintcache.h"

#include <QGroupBox>
#include <QRadioButton>
#include <QtTest>

#include <memory>

using namespace quorlex;

namespace
{

constexpr int kRows = 6;

// Rows of four buttons, as in the command grid, in assorted states: the checked button moves,
// one row is disabled, one frame has a title, one button is held down.
template <typename Frame, typename Button> std::unique_ptr<QWidget> panel()
{
    auto window = std::make_unique<QWidget>();
    window->resize(240, 40 + 34 * kRows);
    for (int row = 0; row < kRows; ++row) {
        auto *frame = new Frame(window.get());
        frame->setGeometry(10 + 7 * (row % 2), 5 + 34 * row, 69, 29);
        if (row == 4)
            frame->setTitle(QStringLiteral("Title"));
        for (int b = 0; b < 4; ++b) {
            auto *button = new Button(frame);
            button->setObjectName(QStringLiteral("b%1_%2").arg(row).arg(b));
            button->setGeometry(4 + 16 * b, 12, 13, 13);
            button->setChecked(b == row % 4);
        }
        if (row == 2)
            frame->setEnabled(false);
    }
    window->findChild<QAbstractButton *>(QStringLiteral("b3_1"))->setDown(true);
    // A row frame whose size differs from the others.
    auto *wide = new Frame(window.get());
    wide->setGeometry(120, 5, 90, 40);
    new Button(wide);
    return window;
}

QImage rendering(QWidget *window, qreal pixelRatio)
{
    QImage image(window->size() * pixelRatio, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(pixelRatio);
    image.fill(Qt::transparent);
    window->render(&image);
    return image;
}

} // namespace

class TestPaintCache : public QObject
{
    Q_OBJECT

private slots:
    // The copies are made for Fusion only, whatever the platform's own style.
    void initTestCase() { QApplication::setStyle(QStringLiteral("fusion")); }

    // First, while nothing is kept yet.
    void copiesAreMade()
    {
        const auto copying = panel<QGroupBox, LevelButton>();
        rendering(copying.get(), 1.0);
        // Far fewer distinct renderings than the 25 buttons.
        QVERIFY(keptRenderings() > 0);
        QVERIFY(keptRenderings() < 20);
    }

    void samePixelsAsTheStyle_data()
    {
        QTest::addColumn<qreal>("pixelRatio");
        QTest::addColumn<bool>("keyboardFocus");
        QTest::newRow("1x") << 1.0 << false;
        QTest::newRow("2x") << 2.0 << false;
        QTest::newRow("1x, focus") << 1.0 << true;
        QTest::newRow("2x, focus") << 2.0 << true;
    }

    void samePixelsAsTheStyle()
    {
        QFETCH(qreal, pixelRatio);
        QFETCH(bool, keyboardFocus);
        const auto plain = panel<QGroupBox, QRadioButton>();
        const auto copying = panel<QGroupBox, LevelButton>();
        const std::size_t keptBefore = keptRenderings();
        QImage expected;
        QImage first;
        QImage second;
        renderings(plain.get(), pixelRatio, keyboardFocus, &expected, nullptr);
        // Twice: the second time every button can be a copy.
        renderings(copying.get(), pixelRatio, keyboardFocus, &first, &second);
        QCOMPARE(first, expected);
        QCOMPARE(second, expected);
        QVERIFY(keptRenderings() > keptBefore || keptBefore > 0);
    }

private:
    // The window is shown and active while it is rendered, so that focus is drawn.
    static void renderings(QWidget *window, qreal pixelRatio, bool keyboardFocus, QImage *first,
                           QImage *second)
    {
        if (keyboardFocus) {
            window->show();
            window->activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(window));
            auto *button = window->findChild<QWidget *>(QStringLiteral("b1_1"));
            button->setFocus(Qt::TabFocusReason);
            QVERIFY(button->hasFocus());
        }
        *first = rendering(window, pixelRatio);
        if (second)
            *second = rendering(window, pixelRatio);
        window->hide();
    }
};

QTEST_MAIN(TestPaintCache)
#include "tst_paintcache.moc"
