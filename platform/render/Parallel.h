// Runs pixel kernels over rows on every core.
#pragma once

#include <functional>

namespace platform::render {

/// Calls `rows(first, last)` for consecutive row ranges covering [0, count), in parallel on the
/// global thread pool when the work is large enough (`count * pixelsPerRow` pixels), else on the
/// calling thread. Returns when every range is done. Ranges never overlap.
void parallelRows(int count, int pixelsPerRow,
                  const std::function<void(int first, int last)>& rows);

/// The number of bands parallelRows() would split `count` rows of `pixelsPerRow` pixels into.
int bandCount(int count, int pixelsPerRow);

} // namespace platform::render
