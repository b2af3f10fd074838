#pragma once

// Answers the modal message boxes that a test provokes: each box is recorded as it opens, an
// optional check runs while it is open, then its OK button is pressed.

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTimer>

#include <functional>

struct SeenBox {
    QString title;
    QString text;
    QMessageBox::Icon icon;
    int buttonCount;
};

class ModalBoxes : public QObject
{
public:
    ModalBoxes()
    {
        m_timer.setInterval(5);
        connect(&m_timer, &QTimer::timeout, this, &ModalBoxes::answer);
        m_timer.start();
    }

    // Runs while each box is open, before it is answered.
    std::function<void(const SeenBox &)> whileOpen;
    QList<SeenBox> seen;

private:
    void answer()
    {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box || !box->isVisible())
            return;
        const SeenBox s{box->windowTitle(), box->text(), box->icon(), int(box->buttons().size())};
        seen << s;
        if (whileOpen)
            whileOpen(s);
        if (QAbstractButton *ok = box->button(QMessageBox::Ok))
            ok->click();
        else
            box->reject();
    }

    QTimer m_timer;
};
