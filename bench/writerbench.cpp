// Times the configuration writer, the work behind one press of "Create Config File" less the
// reading of the window and the warning boxes: per file, for the default record and for the
// heaviest record the window can hold (tiered administration on, all 42 commands at Full, ten
// messages of 10,000 characters that each get shortened with a warning). Files go to a tmpfs
// folder, so the figures are the writer's own work and not the disk's.
//
// Usage: writerbench [RUNS] [FOLDER]   (FOLDER must be on tmpfs; default a new one in /dev/shm)

#include "configwriter.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <sys/vfs.h>
#include <vector>

using namespace quorlex;

namespace
{

constexpr long kTmpfsMagic = 0x01021994;

// Text as an administrator might paste it: mostly ASCII, with letters the code page has, a dash
// from its 0x80-0x9F block, an arrow it lacks (written as '?'), a decomposed accent that is
// composed first, and a tab that becomes a blank.
QString longMessage(int length)
{
    const QString piece = QStringLiteral(
        "Welcome to the server \u2013 gr\u00FC\u00DFe, caf\u00E9 crew! Rules \u2192 no spawn "
        "camping, be fair.\tHave fun, Rene\u0301 says. ");
    QString text;
    text.reserve(length + piece.size());
    while (text.size() < length)
        text += piece;
    text.truncate(length);
    return text;
}

ConfigRecord worstRecord()
{
    ConfigRecord record;
    record.useTieredAdmin = true;
    for (int i = 0; i < int(commandNames().size()); ++i)
        record.commands[i].level = AccessLevel::Full;
    for (int i = 0; i < kMessageCount; ++i)
        record.messages[i] = longMessage(10000).toStdU16String();
    return record;
}

struct Figures {
    double meanUs, medianUs, p95Us, minUs;
    qint64 bytes;
    int warnings;
};

Figures measure(const ConfigRecord &original, const QString &folder, int runs)
{
    int warnings = 0;
    WriterHooks hooks;
    hooks.warn = [&warnings](const Text &, const Text &) { ++warnings; };
    hooks.messageShortened = [](int, const Text &) {};

    std::vector<double> us;
    us.reserve(size_t(runs));
    for (int i = -runs / 10; i < runs; ++i) { // the first tenth warms up and is not counted
        if (i == 0)
            warnings = 0;
        ConfigRecord record = original; // the writer shortens messages in its record
        const auto start = std::chrono::steady_clock::now();
        const WriteResult result = writeConfigFile(record, folder.toStdU16String(), hooks);
        const auto end = std::chrono::steady_clock::now();
        if (!result.ok) {
            std::fprintf(stderr, "writerbench: %s: %s\n",
                         qPrintable(QString::fromStdU16String(result.path)),
                         qPrintable(QString::fromStdU16String(result.reason)));
            std::exit(1);
        }
        if (i >= 0)
            us.push_back(std::chrono::duration<double, std::micro>(end - start).count());
    }
    std::sort(us.begin(), us.end());
    double sum = 0;
    for (double v : us)
        sum += v;
    return {sum / us.size(),
            us[us.size() / 2],
            us[us.size() * 95 / 100],
            us.front(),
            QFile(QString::fromStdU16String(configFilePath(folder.toStdU16String()))).size(),
            warnings / runs};
}

void print(const char *name, const Figures &f)
{
    std::printf("%-34s %9.1f %9.1f %9.1f %9.1f %8lld %9d\n", name, f.meanUs, f.medianUs, f.p95Us,
                f.minUs, static_cast<long long>(f.bytes), f.warnings);
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(10, std::atoi(argv[1])) : 2000;
    QTemporaryDir shm(QStringLiteral("/dev/shm/quorlex-writerbench-XXXXXX"));
    const QString folder = argc > 2 ? QString::fromLocal8Bit(argv[2]) : shm.path();
    struct statfs fs {
    };
    if (statfs(QFile::encodeName(folder).constData(), &fs) != 0 || long(fs.f_type) != kTmpfsMagic) {
        std::fprintf(stderr, "writerbench: %s is not on tmpfs\n", qPrintable(folder));
        return 1;
    }

    std::printf("Writer, %d files each, into %s (tmpfs); times per file in microseconds,\n"
                "warning boxes replaced by a counter\n",
                runs, qPrintable(folder));
    std::printf("%-34s %9s %9s %9s %9s %8s %9s\n", "record", "mean", "median", "p95", "min",
                "bytes", "warnings");
    print("default (tiered off)", measure(ConfigRecord(), folder, runs));
    print("worst (42 at Full, 10 x 10,000 ch)", measure(worstRecord(), folder, runs));
    return 0;
}
