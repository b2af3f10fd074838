// Presses "Create Config File" 1,000 times in one process and follows the resident memory, to
// show that a long session does not pile anything up. Each press writes the file with tiered
// administration on and a pasted message that is too long, so every press also opens and
// answers one warning box, as an administrator who keeps pasting would. Runs on the offscreen
// platform; the file goes to a tmpfs folder.
//
// Usage: pressmemory [PRESSES]

#include "qtform.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>
#include <unistd.h>

namespace
{

double residentMiB()
{
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.value(1).toDouble() * double(sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0);
}

double peakMiB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toDouble() / 1024.0;
    }
    return 0;
}

// Answers every message box with OK as soon as it is shown.
class BoxAnswerer : public QObject
{
public:
    int answered = 0;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Show) {
            if (auto *box = qobject_cast<QMessageBox *>(watched)) {
                QTimer::singleShot(0, box, [this, box] {
                    ++answered;
                    box->button(QMessageBox::Ok)->click();
                });
            }
        }
        return false;
    }
};

template <typename T> T *find(QWidget &window, const char *name)
{
    T *widget = window.findChild<T *>(QLatin1String(name));
    if (!widget) {
        std::fprintf(stderr, "pressmemory: no control %s\n", name);
        std::exit(1);
    }
    return widget;
}

// The offscreen platform warns about size hints on every box it shows; that says nothing here.
QtMessageHandler standardHandler = nullptr;

void quietHandler(QtMsgType type, const QMessageLogContext &context, const QString &text)
{
    if (text.contains(QLatin1String("propagateSizeHints")))
        return;
    if (standardHandler)
        standardHandler(type, context, text);
    else
        std::fprintf(stderr, "%s\n", qPrintable(text));
}

} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    standardHandler = qInstallMessageHandler(quietHandler);
    QApplication app(argc, argv);
    const int presses = argc > 1 ? std::max(20, std::atoi(argv[1])) : 1000;
    QTemporaryDir folder(QStringLiteral("/dev/shm/quorlex-pressmemory-XXXXXX"));
    if (!folder.isValid()) {
        std::fprintf(stderr, "pressmemory: cannot make a folder in /dev/shm\n");
        return 1;
    }

    BoxAnswerer answerer;
    app.installEventFilter(&answerer);
    quorlex::QtForm window;
    window.load();
    window.setOutputFolder(folder.path().toStdU16String());
    window.show();
    QCoreApplication::processEvents();

    find<QCheckBox>(window, "chkUseTieredAdmin")->click();
    find<QRadioButton>(window, "optFull(0)")->click();
    find<QRadioButton>(window, "optIntermediate(5)")->click();
    find<QRadioButton>(window, "optLow(41)")->click();
    auto *message = find<QLineEdit>(window, "txtMessage(4)");
    auto *create = find<QPushButton>(window, "Command1");
    const QString pasted =
        QStringLiteral("Server rules \u2013 read them, caf\u00E9 regulars too. ").repeated(8);

    std::printf("Memory over %d presses of \"Create Config File\" (offscreen, one warning box "
                "answered per press)\n",
                presses);
    std::printf("%8s %14s\n", "presses", "resident MiB");
    double afterTen = 0;
    for (int press = 1; press <= presses; ++press) {
        message->setText(pasted);
        create->click();
        QCoreApplication::processEvents();
        if (press == 10)
            afterTen = residentMiB();
        if (press == 1 || press == 10 || press % 100 == 0)
            std::printf("%8d %14.2f\n", press, residentMiB());
    }
    const double last = residentMiB();
    std::printf("warning boxes answered: %d; file: %lld bytes\n", answerer.answered,
                static_cast<long long>(
                    QFile(folder.filePath(QStringLiteral("QUORLEX_CONFIG.txt"))).size()));
    std::printf("resident after 10 presses %.2f MiB, after %d %.2f MiB: growth %+.3f MiB "
                "(target: within 1 MiB); peak %.2f MiB\n",
                afterTen, presses, last, last - afterTen, peakMiB());
    return answerer.answered == presses ? 0 : 1;
}
