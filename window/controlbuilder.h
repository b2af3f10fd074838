#pragma once

#include <QHash>
#include <QString>

class QWidget;

namespace quorlex
{

// Creates every control of the control table on `form`, in tab order, and returns them by name.
QHash<QString, QWidget *> buildControls(QWidget *form);

// Gives the selected option button of its row the only Tab stop of the row, so that Tab lands
// on the selected level rather than on the first button.
void keepTabStopOnSelection(QWidget *optionButton);

} // namespace quorlex
