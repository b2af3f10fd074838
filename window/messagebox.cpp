#include "messagebox.h"

#include <QMessageBox>

namespace quorlex
{

void showMessage(QWidget *parent, const QString &title, const QString &text)
{
    QMessageBox box(QMessageBox::NoIcon, title, text, QMessageBox::Ok, parent);
    box.setObjectName(QStringLiteral("messageBox"));
    box.exec();
}

} // namespace quorlex
