// Start-up: the window, its load step, and the event loop until the window is closed.

#include "qtform.h"
#include "startupimages.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    app.setWindowIcon(quorlex::windowIcon());
    quorlex::cacheGroupBoxFrame();
    quorlex::QtForm window;
    window.load();
    // Polished before its native window exists: from then on, every event to a frame or label
    // asks the platform whether the window is active (some 800 questions while polishing and
    // showing, each a round trip to the window system under wine), and before, none does.
    window.ensurePolished();
    window.show();
    // Before the window takes any input: a folder that takes no file is said at once.
    window.checkFolder();
    return app.exec();
}
