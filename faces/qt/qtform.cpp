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

// Copied as it stands: QString::fromStdU16String() takes a leading U+FEFF for a byte order mark
// and drops it, and a box would then lose a character that the file keeps.
QString qt(const Text &text)
{
    return QStringView(text).toString();
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

QWidget *createControl(const ControlSpec &spec, const ControlStates::State &state,
                       QWidget *container)
{
    switch (spec.kind) {
    case ControlKind::Frame:
        return new QGroupBox(qt(state.text), container);
    case ControlKind::Label: {
        auto *label = new QLabel(qt(state.text), container);
        label->setWordWrap(true);
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        label->setTextFormat(Qt::PlainText);
        return label;
    }
    case ControlKind::CheckBox: {
        auto *box = new QCheckBox(qt(state.text), container);
        box->setCheckState(state.state == 1 ? Qt::Checked : Qt::Unchecked);
        return box;
    }
    case ControlKind::OptionButton: {
        auto *button = new QRadioButton(container);
        button->setToolTip(qt(spec.levelName));
        button->setChecked(state.state == 1);
        return button;
    }
    case ControlKind::TextBox: {
        // The text comes after construction: QLineEdit lays out a text given to its constructor
        // in the application's default font before it takes the window's, and so loaded a
        // second font with its fallback list at start-up only to throw the layout away.
        auto *edit = new QLineEdit(container);
        // QLineEdit silently cuts text at 32767 characters by default; these boxes have no limit.
        edit->setMaxLength(std::numeric_limits<int>::max());
        edit->setText(qt(state.text));
        edit->setCursorPosition(0);
        return edit;
    }
    case ControlKind::PushButton: {
        auto *button = new QPushButton(qt(state.text), container);
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

QtForm::QtForm(QWidget *parent)
    : QWidget(parent), m_controls(formControls().size()), m_form(*this, programFolder())
{
    static const bool accessibleAsWindow = (QAccessible::installFactory(windowAccessible), true);
    Q_UNUSED(accessibleAsWindow);
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(qt(kFormCaption));
    setFont(windowFont());
    resize(pixels({0, 0, kFormWidthTwips, kFormHeightTwips}).size());
}

void QtForm::load()
{
    // The rows the load step hides never get widgets.
    m_form.load();
    for (int id = 0; id < int(m_controls.size()); ++id) {
        if (m_states.shownWithFrames(id) && !m_controls[id])
            createWidget(id);
    }
    for (int id = 0; id < int(m_controls.size()); ++id) {
        if (const int label = formControls()[id].label; label >= 0)
            static_cast<QLabel *>(m_controls[label])->setBuddy(m_controls[id]);
    }
    m_controls[ctl::chkWeapon(0)]->setFocus();
}

void QtForm::createWidget(int id)
{
    const ControlSpec &spec = formControls()[id];
    const ControlStates::State &state = m_states[id];
    QWidget *widget = createControl(
        spec, state, spec.container == ctl::kForm ? this : m_controls[spec.container]);
    m_controls[id] = widget;
    widget->setObjectName(QString::fromStdString(spec.name));
    widget->setGeometry(pixels(spec.place));
    widget->setEnabled(state.enabled);
    if (id == ctl::txtFrequency)
        static_cast<QLineEdit *>(widget)->setAlignment(Qt::AlignCenter);
    if (const Text name = m_form.accessibleName(id); !name.empty())
        widget->setAccessibleName(qt(name));
    if (auto *button = qobject_cast<QRadioButton *>(widget))
        keepTabStopOnSelection(button);
    if (spec.kind == ControlKind::CheckBox || spec.kind == ControlKind::PushButton) {
        connect(static_cast<QAbstractButton *>(widget), &QAbstractButton::clicked, this,
                [this, id] { m_form.click(id); });
    }
    // Creation order is the focus chain's: one made later takes its place in the tab order, after
    // the last control before it that can take the focus, and is shown, as its window already is.
    if (isVisible()) {
        for (int before = id - 1; before >= 0 && widget->focusPolicy() != Qt::NoFocus; --before) {
            if (m_controls[before] && m_controls[before]->focusPolicy() != Qt::NoFocus) {
                QWidget::setTabOrder(m_controls[before], widget);
                break;
            }
        }
        widget->show();
    }
}

// Qt numbers the states otherwise: Unchecked 0, PartiallyChecked (greyed) 1, Checked 2.
int QtForm::checkState(int id) const
{
    const auto *box = static_cast<QCheckBox *>(m_controls[id]);
    switch (box ? box->checkState() : Qt::Unchecked) {
    case Qt::Checked:
        return 1;
    case Qt::PartiallyChecked:
        return 2;
    case Qt::Unchecked:
        break;
    }
    return box ? 0 : m_states[id].state;
}

void QtForm::setCheckState(int id, int state)
{
    m_states[id].state = state;
    const Qt::CheckState states[] = {Qt::Unchecked, Qt::Checked, Qt::PartiallyChecked};
    if (auto *box = static_cast<QCheckBox *>(m_controls[id]))
        box->setCheckState(states[state == 1 || state == 2 ? state : 0]);
}

bool QtForm::isSelected(int id) const
{
    const auto *button = static_cast<QRadioButton *>(m_controls[id]);
    return button ? button->isChecked() : m_states[id].state == 1;
}

Text QtForm::text(int id) const
{
    if (!m_controls[id])
        return m_states[id].text;
    if (auto *edit = qobject_cast<QLineEdit *>(m_controls[id]))
        return edit->text().toStdU16String();
    return static_cast<QLabel *>(m_controls[id])->text().toStdU16String();
}

void QtForm::setText(int id, const Text &text)
{
    m_states[id].text = text;
    if (auto *edit = qobject_cast<QLineEdit *>(m_controls[id])) {
        edit->setText(qt(text));
        edit->setCursorPosition(0);
    } else if (auto *label = qobject_cast<QLabel *>(m_controls[id])) {
        label->setText(qt(text));
    }
}

void QtForm::showControl(int id, bool shown)
{
    // A frame hides what it holds with it; what has never been seen gets its widget once it can be.
    m_states[id].shown = shown;
    if (m_controls[id]) {
        m_controls[id]->setVisible(shown);
        return;
    }
    for (int j = id; j < int(m_controls.size()) && shown; ++j) {
        if ((j == id || isInside(j, id)) && !m_controls[j] && m_states.shownWithFrames(j) &&
            (formControls()[j].container == ctl::kForm || m_controls[formControls()[j].container]))
            createWidget(j);
    }
}

void QtForm::enableControl(int id, bool enabled)
{
    m_states[id].enabled = enabled;
    if (m_controls[id])
        m_controls[id]->setEnabled(enabled);
}

void QtForm::showMessage(const Text &title, const Text &text)
{
    QMessageBox box(QMessageBox::NoIcon, qt(title), qt(text), QMessageBox::Ok, this);
    box.setObjectName(QStringLiteral("messageBox"));
    box.exec();
}

void QtForm::showFolderRefusal(const Text &folder, const FolderAccess &access)
{
    QMessageBox box(QMessageBox::Warning, qt(kFolderRefusalTitle), qt(kFolderRefusalHeading),
                    QMessageBox::Ok, this);
    box.setObjectName(QStringLiteral("folderRefusal"));
    box.setInformativeText(
        qt(folder + u"\n\n" + access.reason +
           u"\n\nStart the tool as a user who may write to this folder, or copy the tool's folder "
           u"into one you can write to and start it there. What you choose in the window until "
           u"then cannot be saved."));
    box.exec();
}

} // namespace quorlex
