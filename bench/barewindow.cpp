// The yardstick for start-up: a plain Qt window of the setup window's size with one button.

#include <QApplication>
#include <QPushButton>
#include <QWidget>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QWidget window;
    window.resize(987, 622);
    QPushButton button(QStringLiteral("Create Config File"), &window);
    button.setGeometry(444, 472, 101, 21);
    window.show();
    return app.exec();
}
