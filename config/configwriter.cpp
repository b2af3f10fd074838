#include "configwriter.h"

#include "filetext.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QThread>

#include <cerrno>
#include <cstring>

#ifdef Q_OS_WIN
#include <io.h>
#include <qt_windows.h>
#else
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace quorlex
{

namespace
{

const QString kWarningTitle = QStringLiteral("Warning");

// Builds the file's bytes one CR LF terminated line at a time.
class FileLines
{
public:
    void line(const QString &text)
    {
        m_bytes += toFileBytes(text);
        m_bytes += "\r\n";
    }
    // Free text from the window: it must not be able to end or split its line.
    void line(const QString &prefix, const QString &freeText)
    {
        line(prefix + writtenForm(freeText));
    }
    // The two empty lines that separate sections.
    void separator() { line(QStringLiteral("\r\n")); }

    template <std::size_t N>
    void flags(const std::array<FlagEntry, N> &catalogue, const std::array<bool, N> &values)
    {
        for (std::size_t i = 0; i < N; ++i)
            flag(QLatin1String(catalogue[i].key), values[i]);
    }
    void flag(QLatin1String key, bool on)
    {
        line(key + QLatin1Char('=') + QLatin1Char(on ? '1' : '0'));
    }

    const QByteArray &bytes() const { return m_bytes; }

private:
    QByteArray m_bytes;
};

void writeCommands(FileLines &out, const ConfigRecord &record)
{
    out.line(QStringLiteral("[Commands]"));
    const qsizetype rows = commandNames().size();
    for (qsizetype i = 0; i < rows; ++i) {
        const CommandRow &row = record.commands[i];
        if (row.level == AccessLevel::Disabled)
            continue;
        out.line(writtenForm(row.name) + QLatin1Char('=') +
                 QLatin1Char(accessLevelDigit(row.level)));
    }
}

void writeMessages(FileLines &out, ConfigRecord &record, const WriterHooks &hooks)
{
    out.line(QStringLiteral("[Messages]"));
    for (int slot = 0; slot < kMessageCount; ++slot) {
        const auto [text, cut] = writtenFormLimited(record.messages[slot], kMessageLimit);
        if (cut) {
            if (hooks.warn)
                hooks.warn(kWarningTitle, messageTooLongText(slot));
            record.messages[slot] = text;
            if (hooks.messageShortened)
                hooks.messageShortened(slot, text);
        }
        out.line(QLatin1Char('<') + QString::number(slot) + QLatin1Char('>') + text);
    }
}

// The new file takes the earlier one's place, so it takes its owner and group too where the
// system allows it (always as root): a server that runs as another user and could read the
// earlier file must be able to read the new one. The mode is kept by QSaveFile itself.
void keepEarlierOwner(const QSaveFile &file, const QString &path)
{
#ifdef Q_OS_UNIX
    struct stat earlier;
    if (::stat(QFile::encodeName(path).constData(), &earlier) != 0)
        return;
    if (::fchown(file.handle(), earlier.st_uid, earlier.st_gid) == 0)
        return;
    // Not allowed to give the file away: the group alone, which a member of it may set.
    const int groupKept = ::fchown(file.handle(), uid_t(-1), earlier.st_gid);
    Q_UNUSED(groupKept);
#else
    Q_UNUSED(file);
    Q_UNUSED(path);
#endif
}

// QSaveFile::commit() syncs the new file but ignores the result, and a file system that reports a
// full disk or quota only then (network file systems do) would see the earlier file replaced by
// a short one. Returns the system's reason, empty on success.
QString syncToDisk(const QSaveFile &file)
{
#ifdef Q_OS_WIN
    const bool synced = ::_commit(file.handle()) == 0;
#else
    const bool synced = ::fsync(file.handle()) == 0;
#endif
    return synced ? QString() : QString::fromLocal8Bit(std::strerror(errno));
}

// Opens the new file, written beside the earlier one until it is complete. Returns the system's
// reason, empty on success.
QString openNew(QSaveFile &file)
{
    if (!file.open(QIODevice::WriteOnly))
        return file.errorString();
    keepEarlierOwner(file, file.fileName());
    return {};
}

// Writes `bytes` into the opened new file and puts it in the earlier one's place. A full disk
// may only show at flush; QSaveFile::commit() alone can report success for an empty file then,
// so every step is checked and the new file dropped on any failure. Returns the system's reason,
// empty on success.
QString finish(QSaveFile &file, const QByteArray &bytes)
{
    QString reason;
    if (file.write(bytes) != bytes.size() || !file.flush())
        reason = file.errorString();
    else
        reason = syncToDisk(file);
    if (!reason.isEmpty()) {
        file.cancelWriting();
        file.commit();
        return reason;
    }
    return file.commit() ? QString() : file.errorString();
}

// Windows does not let a file be replaced while another program holds it open without sharing
// its deletion: an editor, a reader that keeps it open, a virus or backup scanner. Such holds
// mostly last a moment, so the replace is tried again for a while. Elsewhere a replace never
// waits for readers.
bool heldByAnotherProgram(const QString &path)
{
#ifdef Q_OS_WIN
    const HANDLE probe =
        CreateFileW(reinterpret_cast<const wchar_t *>(QDir::toNativeSeparators(path).utf16()),
                    DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (probe == INVALID_HANDLE_VALUE)
        return GetLastError() == ERROR_SHARING_VIOLATION;
    CloseHandle(probe);
#else
    Q_UNUSED(path);
#endif
    return false;
}

constexpr int kHeldPatienceMs = 2000;
constexpr int kHeldRetryMs = 50;

} // namespace

QString configFilePath(const QString &folder)
{
    return folder + QDir::separator() + QLatin1String(kConfigFileName);
}

QString messageTooLongText(int slot)
{
    return QStringLiteral("Message %1 too long!").arg(slot + 1);
}

WriteResult writeConfigFile(ConfigRecord &record, const QString &folder, const WriterHooks &hooks)
{
    WriteResult result;
    result.path = configFilePath(folder);

    // Opened before anything is shown, so that a folder that cannot take the file gives no
    // warnings first.
    QSaveFile file(result.path);
    result.reason = openNew(file);
    if (!result.reason.isEmpty())
        return result;

    FileLines out;
    out.line(QStringLiteral("[WeaponBan]"));
    out.flags(kWeapons, record.weaponBan);
    out.separator();
    out.line(QStringLiteral("[GrenadeBan]"));
    out.flags(kGrenades, record.grenadeBan);
    out.separator();
    out.line(QStringLiteral("[Settings]"));
    out.flags(kSettings, record.settings);
    const bool frequencyIsNumber = isFrequencyNumber(record.messageFrequency);
    out.line(QLatin1String(kFrequencyKey) + QLatin1Char('='),
             frequencyIsNumber ? record.messageFrequency : QString::fromLatin1(kFrequencyDefault));
    out.flag(QLatin1String(kTieredAdminKey), record.useTieredAdmin);
    out.separator();
    if (record.useTieredAdmin) {
        out.line(QStringLiteral("[Password]"));
        for (int i = 0; i < kPasswordCount; ++i)
            out.line(QLatin1String(kPasswords[i].key) + QLatin1Char('='), record.passwords[i]);
        out.separator();
        writeCommands(out, record);
        out.separator();
    }
    writeMessages(out, record, hooks);

    result.reason = finish(file, out.bytes());
    const QDeadlineTimer patience(kHeldPatienceMs);
    while (!result.reason.isEmpty() && heldByAnotherProgram(result.path)) {
        if (patience.hasExpired()) {
            result.reason = QStringLiteral("Another program has the file open, so it cannot be "
                                           "replaced. Close that program, or wait a moment, and "
                                           "press \"Create Config File\" again.");
            return result;
        }
        QThread::msleep(kHeldRetryMs);
        QSaveFile again(result.path);
        result.reason = openNew(again);
        if (result.reason.isEmpty())
            result.reason = finish(again, out.bytes());
    }
    result.ok = result.reason.isEmpty();
    return result;
}

} // namespace quorlex
