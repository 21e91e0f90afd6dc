#include "platform/system/Clock.h"

#include <chrono>

namespace platform::system {

namespace {
using Clock = std::chrono::steady_clock;
}

std::int64_t performanceCounter() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now().time_since_epoch())
        .count();
}

std::int64_t performanceFrequency() {
    return 1'000'000'000;
}

double monotonicMilliseconds() {
    return static_cast<double>(performanceCounter()) / 1e6;
}

std::uint32_t tickCount() {
    return static_cast<std::uint32_t>(performanceCounter() / 1'000'000);
}

} // namespace platform::system
