#pragma once
// Facts about the processor and the operating system.

#include <QString>
#include <cstdint>

namespace platform::system {

// The processor supports Supplemental SSE3.
bool processorHasSSSE3();

struct OsVersion {
    int major = 0;
    int minor = 0;
    QString text; // for example "Linux 6.1.0-13-amd64 x86_64"
};
OsVersion osVersion();

// True on a server edition of the operating system; Linux has no such edition.
bool isServerEdition();

// Physical memory in bytes, 0 when unknown.
std::uint64_t physicalMemory();

} // namespace platform::system
