#include "platform.h"

#include <QFile>
#include <QSaveFile>

#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace quorlex
{

namespace
{

Text text(const QString &string)
{
    return string.toStdU16String();
}

Text systemReason(int error)
{
    return text(QString::fromLocal8Bit(std::strerror(error)));
}

// The new file takes the earlier one's place, so it takes its owner and group too where the
// system allows it (always as root): a server that runs as another user and could read the
// earlier file must be able to read the new one. The mode is kept by QSaveFile itself.
void keepEarlierOwner(const QSaveFile &file)
{
    struct stat earlier;
    if (::stat(QFile::encodeName(file.fileName()).constData(), &earlier) != 0)
        return;
    if (::fchown(file.handle(), earlier.st_uid, earlier.st_gid) == 0)
        return;
    // Not allowed to give the file away: the group alone, which a member of it may set.
    const int groupKept = ::fchown(file.handle(), uid_t(-1), earlier.st_gid);
    (void)groupKept;
}

} // namespace

struct FileReplacement::Impl {
    QSaveFile file;
};

FileReplacement::FileReplacement(const Text &path) : m(new Impl)
{
    m->file.setFileName(QString::fromStdU16String(path));
}

FileReplacement::~FileReplacement() = default; // QSaveFile drops what was not committed

Text FileReplacement::open()
{
    if (!m->file.open(QIODevice::WriteOnly))
        return text(m->file.errorString());
    keepEarlierOwner(m->file);
    return {};
}

// A full disk may only show at flush, and QSaveFile::commit() syncs the new file but ignores the
// result: a file system that reports a full disk or quota only then (network file systems do)
// would see the earlier file replaced by a short one. So every step is checked and the new file
// dropped on any failure.
Text FileReplacement::commit(const std::string &bytes)
{
    QSaveFile &file = m->file;
    Text reason;
    if (file.write(bytes.data(), qint64(bytes.size())) != qint64(bytes.size()) || !file.flush())
        reason = text(file.errorString());
    for (int synced = -1; reason.empty() && synced != 0;) {
        // A signal may interrupt the sync; it is asked again.
        if ((synced = ::fsync(file.handle())) != 0 && errno != EINTR)
            reason = systemReason(errno);
    }
    if (!reason.empty()) {
        file.cancelWriting();
        file.commit();
        return reason;
    }
    errno = 0;
    if (file.commit())
        return {};
    // Where Qt has no words of its own for a failure (linking the new file into the folder under
    // a name of its own), errno still holds the system's.
    const int error = errno;
    return error != 0 && file.errorString() == QFile().errorString() ? systemReason(error)
                                                                     : text(file.errorString());
}

} // namespace quorlex
