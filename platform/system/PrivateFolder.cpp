#include "platform/system/PrivateFolder.h"

#include <QFile>
#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace platform::system {

FolderCreation makePrivateFolder(const QString& path, QString& error) {
    if (::mkdir(QFile::encodeName(path).constData(), S_IRWXU) == 0)
        return FolderCreation::Created;
    if (errno == EEXIST)
        return FolderCreation::Exists;
    error = QString::fromLocal8Bit(std::strerror(errno));
    return FolderCreation::Failed;
}

bool ensurePrivateFolder(const QString& path, QString& error) {
    const QByteArray name = QFile::encodeName(path);
    struct stat info {};
    if (::lstat(name.constData(), &info) != 0) {
        error = QString::fromLocal8Bit(std::strerror(errno));
        return false;
    }
    if (!S_ISDIR(info.st_mode)) {
        error = QStringLiteral("not a folder");
        return false;
    }
    if (info.st_uid != ::geteuid()) {
        error = QStringLiteral("owned by another user");
        return false;
    }
    if ((info.st_mode & 0777) != S_IRWXU && ::chmod(name.constData(), S_IRWXU) != 0) {
        error = QString::fromLocal8Bit(std::strerror(errno));
        return false;
    }
    return true;
}

} // namespace platform::system
