#include "platform/system/FileLock.h"

#include <QFile>
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace platform::system {

namespace {

// A descriptor of the path that can carry a lock (read-only works for files and folders alike).
int openForLock(const QString& path) {
    const QByteArray name = QFile::encodeName(path);
    return ::open(name.constData(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
}

// 0 when locked, otherwise the errno of the refusal.
int lockNow(int fd) {
    int result;
    do {
        result = ::flock(fd, LOCK_EX | LOCK_NB);
    } while (result != 0 && errno == EINTR);
    return result == 0 ? 0 : errno;
}

} // namespace

FileLock::FileLock(const QString& path) {
    const int fd = openForLock(path);
    if (fd < 0)
        return;
    if (lockNow(fd) == 0)
        fd_ = fd;
    else
        ::close(fd);
}

FileLock::~FileLock() {
    release();
}

void FileLock::release() {
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
}

bool FileLock::isLocked(const QString& path) {
    const int fd = openForLock(path);
    if (fd < 0)
        return false;
    const bool locked = lockNow(fd) == EWOULDBLOCK;
    ::close(fd); // closing drops a lock this probe may have taken
    return locked;
}

} // namespace platform::system
