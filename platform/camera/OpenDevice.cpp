#include "platform/camera/OpenDevice.h"

#include <cerrno>
#include <cstring>

namespace platform::camera {

OpenDevice::OpenDevice(const std::string& path) : calls_(kernel()) {
    fd_ = calls_->open(path);
    if (fd_ < 0) {
        const int error = errno;
        throw CameraError("cannot open " + path + ": " + std::strerror(error), error);
    }
}

OpenDevice::~OpenDevice() {
    if (fd_ >= 0)
        calls_->close(fd_);
}

bool OpenDevice::control(unsigned long request, void* argument) const {
    return calls_->ioctl(fd_, request, argument) == 0;
}

void OpenDevice::require(unsigned long request, void* argument, const char* what) const {
    if (!control(request, argument)) {
        const int error = errno;
        throw CameraError(std::string(what) + ": " + std::strerror(error), error);
    }
}

} // namespace platform::camera
