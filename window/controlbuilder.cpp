#include "controlbuilder.h"

#include "controltable.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include <limits>

namespace quorlex
{

namespace
{

QWidget *create(const ControlSpec &spec, QWidget *container)
{
    switch (spec.kind) {
    case ControlKind::Frame:
        return new QGroupBox(spec.caption, container);
    case ControlKind::Label: {
        auto *label = new QLabel(spec.caption, container);
        label->setWordWrap(true);
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        label->setTextFormat(Qt::PlainText);
        return label;
    }
    case ControlKind::CheckBox: {
        auto *box = new QCheckBox(spec.caption, container);
        box->setCheckState(spec.state == 1 ? Qt::Checked : Qt::Unchecked);
        return box;
    }
    case ControlKind::OptionButton: {
        auto *button = new QRadioButton(container);
        button->setToolTip(spec.levelName);
        button->setAccessibleName(spec.levelName);
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
        edit->setText(spec.caption);
        edit->setCursorPosition(0);
        return edit;
    }
    case ControlKind::PushButton: {
        auto *button = new QPushButton(spec.caption, container);
        button->setAutoDefault(false);
        button->setDefault(false);
        return button;
    }
    }
    return nullptr;
}

// Gives the selected option button of its row the only Tab stop of the row, so that Tab lands
// on the selected level rather than on the first button.
void keepTabStopOnSelection(QWidget *optionButton)
{
    auto *button = static_cast<QRadioButton *>(optionButton);
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

QHash<QString, QWidget *> buildControls(QWidget *form)
{
    QHash<QString, QWidget *> byName;
    byName.reserve(int(formControls().size()) + 1);
    byName.insert(form->objectName(), form);
    // Creation order is the focus chain order, and the table is sorted by tab number.
    for (const ControlSpec &spec : formControls()) {
        QWidget *widget = create(spec, byName.value(spec.container));
        widget->setObjectName(spec.name);
        widget->setGeometry(twipsToPixels(spec.twips));
        widget->setEnabled(spec.enabled);
        if (spec.kind == ControlKind::OptionButton)
            keepTabStopOnSelection(widget);
        byName.insert(spec.name, widget);
    }
    return byName;
}

} // namespace quorlex
