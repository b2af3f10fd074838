// Start-up: the window, its load step, and the event loop until the window is closed.

#include "form1.h"
#include "startupimages.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    app.setWindowIcon(quorlex::windowIcon());
    quorlex::cacheGroupBoxFrame();
    quorlex::Form1 window;
    window.load();
    window.show();
    return app.exec();
}
