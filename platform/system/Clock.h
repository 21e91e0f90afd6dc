#pragma once
// The one monotonic clock that every engine of the program shares.

#include <cstdint>

namespace platform::system {

// Milliseconds since an arbitrary start, wrapping at 2^32 like the system tick count.
std::uint32_t tickCount();
// Milliseconds as a double, without wrap: for animation and time arithmetic.
double monotonicMilliseconds();
// The performance counter and its frequency (counts per second).
std::int64_t performanceCounter();
std::int64_t performanceFrequency();

} // namespace platform::system
