#pragma once

// A small tmpfs mounted for one test, to make a disk that is full or read-only for real.
// Needs root; where mounting is refused, mounted() is false and error() says why.

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QString>

class TmpfsMount
{
public:
    explicit TmpfsMount(const QString &path) : m_path(path)
    {
        QDir().mkpath(path);
        m_mounted = run({"-t", "tmpfs", "-o", "size=64k,mode=0777", "tmpfs", path});
    }
    ~TmpfsMount()
    {
        if (m_mounted)
            QProcess::execute("umount", {"-l", m_path});
    }
    TmpfsMount(const TmpfsMount &) = delete;
    TmpfsMount &operator=(const TmpfsMount &) = delete;

    bool mounted() const { return m_mounted; }
    QString error() const { return m_error; }
    QString path() const { return m_path; }

    bool makeReadOnly() { return run({"-o", "remount,ro", m_path}); }

    // Fills every free block, so the next file written here hits "no space left".
    bool fill()
    {
        QFile filler(m_path + "/filler");
        if (!filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
            return false;
        const QByteArray block(4096, 'f');
        while (filler.write(block) > 0) {
        }
        return true;
    }

private:
    bool run(const QStringList &args)
    {
        QProcess mount;
        mount.start("mount", args);
        if (!mount.waitForFinished(10000) || mount.exitStatus() != QProcess::NormalExit ||
            mount.exitCode() != 0) {
            m_error = QString::fromLocal8Bit(mount.readAllStandardError()).trimmed();
            if (m_error.isEmpty())
                m_error = mount.errorString();
            return false;
        }
        return true;
    }

    QString m_path;
    QString m_error;
    bool m_mounted = false;
};
