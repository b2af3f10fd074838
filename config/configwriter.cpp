#include "configwriter.h"

#include "filetext.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>

#include <cerrno>
#include <cstring>

#ifdef Q_OS_WIN
#include <io.h>
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

    // The new file is written beside the old one and renamed over it only when complete.
    QSaveFile file(result.path);
    if (!file.open(QIODevice::WriteOnly)) {
        result.reason = file.errorString();
        return result;
    }
    keepEarlierOwner(file, result.path);

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

    // A full disk may only show at flush; QSaveFile::commit() alone can report success for an
    // empty file then, so every step is checked and the new file dropped on any failure.
    const QByteArray &bytes = out.bytes();
    if (file.write(bytes) != bytes.size() || !file.flush())
        result.reason = file.errorString();
    else
        result.reason = syncToDisk(file);
    if (!result.reason.isEmpty()) {
        file.cancelWriting();
        file.commit();
        return result;
    }
    if (!file.commit()) {
        result.reason = file.errorString();
        return result;
    }
    result.ok = true;
    return result;
}

} // namespace quorlex
