// Device work under a known floating-point environment.
#pragma once

#include <cfenv>

namespace platform::kitdevice {

/// Saves the calling thread's floating-point environment, masks every exception for the scope
/// and puts the saved environment back at its end (also by an exception). Guards nest: each
/// restores what it found.
class FloatingPointGuard {
public:
    FloatingPointGuard();
    ~FloatingPointGuard();
    FloatingPointGuard(const FloatingPointGuard&) = delete;
    FloatingPointGuard& operator=(const FloatingPointGuard&) = delete;

private:
    std::fenv_t saved_{};
};

} // namespace platform::kitdevice
