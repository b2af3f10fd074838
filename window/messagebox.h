#pragma once

#include <QString>

class QWidget;

namespace quorlex
{

// The tool's one kind of message: modal, a title and a text, no icon, a single OK button.
// Returns once the box has been dismissed.
void showMessage(QWidget *parent, const QString &title, const QString &text);

} // namespace quorlex
