#include "platform/kitdevice/FloatingPointGuard.h"

namespace platform::kitdevice {

FloatingPointGuard::FloatingPointGuard() {
    // Saves the environment and switches to non-stop mode: every exception masked.
    std::feholdexcept(&saved_);
}

FloatingPointGuard::~FloatingPointGuard() {
    std::fesetenv(&saved_);
}

} // namespace platform::kitdevice
