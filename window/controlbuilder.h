#pragma once

#include <QHash>
#include <QString>

class QWidget;

namespace quorlex
{

// Creates every control of the control table on `form`, in tab order, and returns them by name.
QHash<QString, QWidget *> buildControls(QWidget *form);

} // namespace quorlex
