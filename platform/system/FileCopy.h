#pragma once
// Copying a run of bytes from one open file into another, inside the kernel where the file
// systems allow it (no trip through the program's memory), else through a large buffer.

#include <QFile>
#include <cstdint>
#include <functional>

namespace platform::system {

enum class CopyResult { Done, Failed, Canceled };

// Copies `size` bytes from the position of `from` to the position of `to` (both open) and
// leaves both positioned after them. `progress` runs after every `chunk` bytes (and after the
// last) with the bytes copied so far; returning false stops the copy (Canceled). Failed when
// either file fails or `from` ends first.
CopyResult copyFileBytes(QFile& from, QFile& to, std::int64_t size, std::int64_t chunk,
                         const std::function<bool(std::int64_t copied)>& progress);

} // namespace platform::system
