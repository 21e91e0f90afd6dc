#include "platform/system/SystemInfo.h"

#include <QStringList>
#include <sys/utsname.h>
#include <unistd.h>

namespace platform::system {

bool processorHasSSSE3() {
#if defined(__x86_64__) || defined(__i386__)
    __builtin_cpu_init();
    return __builtin_cpu_supports("ssse3");
#else
    return false;
#endif
}

OsVersion osVersion() {
    OsVersion version;
    utsname name{};
    if (uname(&name) != 0)
        return version;
    const QString release = QString::fromLocal8Bit(name.release);
    const QStringList parts = release.split('.');
    version.major = parts.value(0).toInt();
    version.minor = parts.value(1).toInt();
    version.text = QString::fromLocal8Bit(name.sysname) + " " + release + " " +
                   QString::fromLocal8Bit(name.machine);
    return version;
}

bool isServerEdition() {
    return false;
}

std::uint64_t physicalMemory() {
    const long pages = sysconf(_SC_PHYS_PAGES);
    const long pageSize = sysconf(_SC_PAGESIZE);
    if (pages <= 0 || pageSize <= 0)
        return 0;
    return static_cast<std::uint64_t>(pages) * static_cast<std::uint64_t>(pageSize);
}

} // namespace platform::system
