#include "platform/system/NamedMutex.h"

#include <QDir>
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace platform::system {

QString NamedMutex::lockPath(const QString& name) {
    QString dir = QString::fromLocal8Bit(qgetenv("XDG_RUNTIME_DIR"));
    if (dir.isEmpty() || !QDir(dir).exists())
        dir = QDir::tempPath();
    return dir + "/" + name + ".lock";
}

NamedMutex::NamedMutex(const QString& name) {
    const QByteArray path = QFile::encodeName(lockPath(name));
    fd_ = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd_ < 0)
        return;
    int result;
    do {
        result = ::flock(fd_, LOCK_EX | LOCK_NB);
    } while (result != 0 && errno == EINTR);
    if (result != 0)
        alreadyExisted_ = errno == EWOULDBLOCK;
}

NamedMutex::~NamedMutex() {
    close();
}

void NamedMutex::close() {
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
}

} // namespace platform::system
