#pragma once
// Free space of the file system that holds a path.

#include <QString>
#include <cstdint>

namespace platform::system {

// Bytes an unprivileged user may still write on the file system of `path`; -1 when unknown.
std::int64_t freeDiskSpace(const QString& path);
// True when both existing paths lie on the same file system.
bool sameFileSystem(const QString& a, const QString& b);

} // namespace platform::system
