#include "SingleInstanceLock.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace tarnwick {

QString SingleInstanceLock::lockFileName()
{
    return QStringLiteral("{6B1D3F2A-8C47-4E95-A0D2-7F35C9E18B64}.lock");
}

QString SingleInstanceLock::defaultLockPath()
{
    QString dir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (dir.isEmpty())
        dir = QDir::tempPath();
    return QDir(dir).filePath(lockFileName());
}

bool SingleInstanceLock::acquire(const QString &path)
{
    // Close-on-exec, so that programs we start (the picture viewer) never inherit the lock.
    const QByteArray native = QFile::encodeName(path);
    const int fd = ::open(native.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0)
        return false;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return false;
    }
    // The descriptor stays open on purpose: the lock lives exactly as long as the process.
    return true;
}

} // namespace tarnwick
