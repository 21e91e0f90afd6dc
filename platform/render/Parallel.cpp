#include "platform/render/Parallel.h"

#include <QThreadPool>
#include <QtConcurrent/QtConcurrentMap>
#include <algorithm>
#include <vector>

namespace platform::render {

namespace {

// Below this many pixels the hand-over to the pool costs more than it saves.
constexpr long kMinParallelPixels = 64 * 1024;
constexpr int kMinRowsPerBand = 16;

} // namespace

int bandCount(int count, int pixelsPerRow) {
    if (count <= 0)
        return 0;
    const long pixels = long(count) * std::max(pixelsPerRow, 1);
    const int threads = std::max(QThreadPool::globalInstance()->maxThreadCount(), 1);
    if (pixels < kMinParallelPixels || threads == 1)
        return 1;
    return std::clamp(count / kMinRowsPerBand, 1, threads * 2);
}

void parallelRows(int count, int pixelsPerRow, const std::function<void(int, int)>& rows) {
    const int bands = bandCount(count, pixelsPerRow);
    if (bands <= 1) {
        if (count > 0)
            rows(0, count);
        return;
    }
    std::vector<std::pair<int, int>> ranges;
    ranges.reserve(size_t(bands));
    for (int i = 0; i < bands; ++i)
        ranges.emplace_back(int(long(count) * i / bands), int(long(count) * (i + 1) / bands));
    QtConcurrent::blockingMap(ranges, [&rows](const std::pair<int, int>& r) {
        if (r.second > r.first)
            rows(r.first, r.second);
    });
}

} // namespace platform::render
