#include "platform/system/DiskSpace.h"

#include <QFile>
#include <sys/stat.h>
#include <sys/statvfs.h>

namespace platform::system {

std::int64_t freeDiskSpace(const QString& path) {
    struct statvfs info {};
    if (statvfs(QFile::encodeName(path).constData(), &info) != 0)
        return -1;
    return static_cast<std::int64_t>(info.f_bavail) * static_cast<std::int64_t>(info.f_frsize);
}

bool sameFileSystem(const QString& a, const QString& b) {
    struct stat first {};
    struct stat second {};
    return stat(QFile::encodeName(a).constData(), &first) == 0 &&
           stat(QFile::encodeName(b).constData(), &second) == 0 && first.st_dev == second.st_dev;
}

} // namespace platform::system
