// Start-up: the window, its load step, and the event loop until the window is closed.

#include "form1.h"

#include <QApplication>
#include <QIcon>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    app.setWindowIcon(QIcon(QStringLiteral(":/quorlex-config.svg")));
    quorlex::Form1 window;
    window.load();
    window.show();
    return app.exec();
}
