#include "platform.h"

#include <QFile>
#include <QString>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace quorlex
{

FolderAccess probeFolder(const Text &folder)
{
    const QByteArray path = QFile::encodeName(QString::fromStdU16String(folder));
    // A file without a name, which nothing can leave behind; where the file system has no such
    // files, a named one removed at once.
    int fd = ::open(path.constData(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600);
    if (fd < 0 && (errno == EOPNOTSUPP || errno == EISDIR || errno == EINVAL)) {
        const QByteArray named = path + "/.QUORLEX_CONFIG.probe-" + QByteArray::number(getpid());
        fd = ::open(named.constData(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, 0600);
        if (fd >= 0)
            ::unlink(named.constData());
    }
    if (fd >= 0) {
        ::close(fd);
        return {};
    }
    const int error = errno;
    return {false, error == EACCES || error == EPERM,
            QString::fromLocal8Bit(std::strerror(error)).toStdU16String()};
}

} // namespace quorlex
