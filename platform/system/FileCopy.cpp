#include "platform/system/FileCopy.h"

#include <algorithm>
#include <cerrno>
#include <unistd.h>
#include <vector>

namespace platform::system {

namespace {

// One chunk in the kernel: the bytes copied, 0 when `from` ended, -1 on failure; `unsupported`
// when these files cannot be copied this way at all.
std::int64_t kernelCopy(int from, off_t& fromAt, int to, off_t& toAt, std::int64_t bytes,
                        bool& unsupported) {
    const ssize_t done = copy_file_range(from, &fromAt, to, &toAt, size_t(bytes), 0);
    unsupported = done < 0 && (errno == EXDEV || errno == EINVAL || errno == ENOSYS ||
                               errno == EOPNOTSUPP || errno == EBADF);
    return done;
}

CopyResult bufferedCopy(QFile& from, QFile& to, std::int64_t size, std::int64_t chunk,
                        std::int64_t copied, const std::function<bool(std::int64_t)>& progress) {
    std::vector<char> buffer(size_t(std::min(size - copied, chunk)));
    while (copied < size) {
        const qint64 want = std::min<qint64>(size - copied, qint64(buffer.size()));
        if (from.read(buffer.data(), want) != want || to.write(buffer.data(), want) != want)
            return CopyResult::Failed;
        copied += want;
        if (!progress(copied))
            return CopyResult::Canceled;
    }
    return CopyResult::Done;
}

} // namespace

CopyResult copyFileBytes(QFile& from, QFile& to, std::int64_t size, std::int64_t chunk,
                         const std::function<bool(std::int64_t copied)>& progress) {
    if (size <= 0)
        return CopyResult::Done;
    chunk = std::max<std::int64_t>(chunk, 1);
    // The kernel works on the descriptors: what QFile holds in its buffers must be written
    // first, and both files are told their new positions afterwards.
    if (!to.flush())
        return CopyResult::Failed;
    off_t fromAt = off_t(from.pos());
    off_t toAt = off_t(to.pos());
    std::int64_t copied = 0;
    CopyResult result = CopyResult::Done;
    while (copied < size) {
        bool unsupported = false;
        const std::int64_t done = kernelCopy(from.handle(), fromAt, to.handle(), toAt,
                                             std::min(size - copied, chunk), unsupported);
        if (unsupported) {
            if (!from.seek(fromAt) || !to.seek(toAt))
                return CopyResult::Failed;
            return bufferedCopy(from, to, size, chunk, copied, progress);
        }
        if (done <= 0) {
            result = CopyResult::Failed;
            break;
        }
        copied += done;
        if (!progress(copied)) {
            result = CopyResult::Canceled;
            break;
        }
    }
    if (!from.seek(fromAt) || !to.seek(toAt))
        return CopyResult::Failed;
    return result;
}

} // namespace platform::system
