#include "qtform.h"

#include "controltable.h"
#include "platform.h"

#include <QAccessibleWidget>
#include <QCheckBox>
#include <QFontDatabase>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>

#include <limits>

namespace quorlex
{

namespace
{

QString qt(const Text &text)
{
    return QString::fromStdU16String(text);
}

// The layout's 13-pixel rows and 65-pixel command labels were drawn for a small, narrow face.
// The window brings its own, compiled in, so that it looks the same and every caption fits its
// box on every system: at 11 pixels PT Sans Narrow fits "locationdamage" (61 pixels) in its
// 65-pixel label.
QFont windowFont()
{
    static const int loaded =
        QFontDatabase::addApplicationFont(QStringLiteral(":/fonts/PTN57F.ttf"));
    Q_UNUSED(loaded);
    QFont font;
    font.setFamilies({QStringLiteral("PT Sans Narrow"), QStringLiteral("Liberation Sans Narrow"),
                      QStringLiteral("Arial Narrow")});
    font.setPixelSize(11);
    return font;
}

// Qt presents a plain top-level widget to screen readers as an unnamed filler; the tool's only
// window is presented as a window, so that its title is read when it takes the focus.
QAccessibleInterface *windowAccessible(const QString &className, QObject *object)
{
    if (className == QLatin1String(QtForm::staticMetaObject.className()) && object->isWidgetType())
        return new QAccessibleWidget(static_cast<QWidget *>(object), QAccessible::Window);
    return nullptr;
}

// Logical pixels at 96 dpi; Qt scales them on denser screens.
QRect pixels(const Twips &twips)
{
    constexpr int perPixel = kTwipsPerInch / 96;
    return {twips.left / perPixel, twips.top / perPixel, twips.width / perPixel,
            twips.height / perPixel};
}

QWidget *createControl(const ControlSpec &spec, QWidget *container)
{
    switch (spec.kind) {
    case ControlKind::Frame:
        return new QGroupBox(qt(spec.caption), container);
    case ControlKind::Label: {
        auto *label = new QLabel(qt(spec.caption), container);
        label->setWordWrap(true);
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        label->setTextFormat(Qt::PlainText);
        return label;
    }
    case ControlKind::CheckBox: {
        auto *box = new QCheckBox(qt(spec.caption), container);
        box->setCheckState(spec.state == 1 ? Qt::Checked : Qt::Unchecked);
        return box;
    }
    case ControlKind::OptionButton: {
        auto *button = new QRadioButton(container);
        button->setToolTip(qt(spec.levelName));
        button->setAccessibleName(qt(spec.levelName));
        button->setChecked(spec.state == 1);
        return button;
    }
    case ControlKind::TextBox: {
        // The text comes after construction: QLineEdit lays out a text given to its constructor
        // in the application's default font before it takes the window's, and so loaded a
        // second font with its fallback list at start-up only to throw the layout away.
        auto *edit = new QLineEdit(container);
        // QLineEdit silently cuts text at 32767 characters by default; these boxes have no limit.
        edit->setMaxLength(std::numeric_limits<int>::max());
        edit->setText(qt(spec.caption));
        edit->setCursorPosition(0);
        return edit;
    }
    case ControlKind::PushButton: {
        auto *button = new QPushButton(qt(spec.caption), container);
        button->setAutoDefault(false);
        button->setDefault(false);
        return button;
    }
    }
    return nullptr;
}

// Gives the selected option button of its row the only Tab stop of the row, so that Tab lands
// on the selected level rather than on the first button.
void keepTabStopOnSelection(QRadioButton *button)
{
    const auto update = [button](bool checked) {
        if (checked) {
            for (QRadioButton *sibling : button->parentWidget()->findChildren<QRadioButton *>(
                     QString(), Qt::FindDirectChildrenOnly))
                sibling->setFocusPolicy(sibling == button ? Qt::StrongFocus : Qt::ClickFocus);
        }
    };
    QObject::connect(button, &QRadioButton::toggled, button, update);
    button->setFocusPolicy(button->isChecked() ? Qt::StrongFocus : Qt::ClickFocus);
}

} // namespace

QtForm::QtForm(QWidget *parent) : QWidget(parent), m_form(*this, programFolder())
{
    static const bool accessibleAsWindow = (QAccessible::installFactory(windowAccessible), true);
    Q_UNUSED(accessibleAsWindow);
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(qt(kFormCaption));
    setFont(windowFont());
    resize(pixels({0, 0, kFormWidthTwips, kFormHeightTwips}).size());

    // Creation order is the focus chain order, and the table is in tab order.
    const std::vector<ControlSpec> &table = formControls();
    m_controls.reserve(table.size());
    for (int id = 0; id < int(table.size()); ++id) {
        const ControlSpec &spec = table[id];
        QWidget *widget =
            createControl(spec, spec.container == ctl::kForm ? this : m_controls[spec.container]);
        widget->setObjectName(QString::fromStdString(spec.name));
        widget->setGeometry(pixels(spec.place));
        widget->setEnabled(spec.enabled);
        if (auto *button = qobject_cast<QRadioButton *>(widget))
            keepTabStopOnSelection(button);
        if (spec.kind == ControlKind::CheckBox || spec.kind == ControlKind::PushButton) {
            connect(static_cast<QAbstractButton *>(widget), &QAbstractButton::clicked, this,
                    [this, id] { m_form.click(id); });
        }
        m_controls.push_back(widget);
    }

    for (int i = 0; i < kMessageCount; ++i)
        m_controls[ctl::txtMessage(i)]->setAccessibleName(QStringLiteral("Message %1").arg(i + 1));
    for (int i = 0; i < kPasswordCount; ++i)
        static_cast<QLabel *>(m_controls[ctl::Label2(i)])->setBuddy(m_controls[ctl::txtPass(i)]);
    static_cast<QLineEdit *>(m_controls[ctl::txtFrequency])->setAlignment(Qt::AlignCenter);
    static_cast<QLabel *>(m_controls[ctl::Label1])->setBuddy(m_controls[ctl::txtFrequency]);
    m_controls[ctl::chkWeapon(0)]->setFocus();
}

void QtForm::load()
{
    m_form.load();
    // A screen reader then says "kick, Intermediate" for a row's selected button.
    for (int i = 0; i < int(commandNames().size()); ++i) {
        const QString name = qt(text(ctl::lblCommand(i)));
        m_controls[ctl::fmeAdminLevel(i)]->setAccessibleName(name);
        for (int b = 0; b < kAccessLevelCount; ++b)
            m_controls[ctl::levelButton(i, b)]->setAccessibleDescription(name);
    }
}

// Qt numbers the states otherwise: Unchecked 0, PartiallyChecked (greyed) 1, Checked 2.
int QtForm::checkState(int id) const
{
    switch (static_cast<QCheckBox *>(m_controls[id])->checkState()) {
    case Qt::Checked:
        return 1;
    case Qt::PartiallyChecked:
        return 2;
    case Qt::Unchecked:
        break;
    }
    return 0;
}

void QtForm::setCheckState(int id, int state)
{
    const Qt::CheckState states[] = {Qt::Unchecked, Qt::Checked, Qt::PartiallyChecked};
    static_cast<QCheckBox *>(m_controls[id])
        ->setCheckState(states[state == 1 || state == 2 ? state : 0]);
}

bool QtForm::isSelected(int id) const
{
    return static_cast<QRadioButton *>(m_controls[id])->isChecked();
}

Text QtForm::text(int id) const
{
    if (auto *edit = qobject_cast<QLineEdit *>(m_controls[id]))
        return edit->text().toStdU16String();
    return static_cast<QLabel *>(m_controls[id])->text().toStdU16String();
}

void QtForm::setText(int id, const Text &text)
{
    if (auto *edit = qobject_cast<QLineEdit *>(m_controls[id])) {
        edit->setText(qt(text));
        edit->setCursorPosition(0);
    } else {
        static_cast<QLabel *>(m_controls[id])->setText(qt(text));
    }
}

void QtForm::showControl(int id, bool shown)
{
    m_controls[id]->setVisible(shown);
}

void QtForm::enableControl(int id, bool enabled)
{
    m_controls[id]->setEnabled(enabled);
}

void QtForm::showMessage(const Text &title, const Text &text)
{
    QMessageBox box(QMessageBox::NoIcon, qt(title), qt(text), QMessageBox::Ok, this);
    box.setObjectName(QStringLiteral("messageBox"));
    box.exec();
}

} // namespace quorlex
