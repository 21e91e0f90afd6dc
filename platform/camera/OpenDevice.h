// An open video node: the descriptor and the kernel calls it was opened with.
#pragma once

#include "platform/camera/Kernel.h"

#include <memory>
#include <stdexcept>
#include <string>

namespace platform::camera {

// A failing call on a camera: errno of the call (0 when the device refused a request).
class CameraError : public std::runtime_error {
public:
    CameraError(const std::string& what, int error) : std::runtime_error(what), error_(error) {}
    int error() const { return error_; }

private:
    int error_;
};

class OpenDevice {
public:
    // Throws CameraError when the node cannot be opened.
    explicit OpenDevice(const std::string& path);
    ~OpenDevice();
    OpenDevice(const OpenDevice&) = delete;
    OpenDevice& operator=(const OpenDevice&) = delete;

    // ioctl; false (errno kept) on failure.
    bool control(unsigned long request, void* argument) const;
    // ioctl that throws CameraError on failure.
    void require(unsigned long request, void* argument, const char* what) const;
    int fd() const { return fd_; }
    const Kernel& calls() const { return *calls_; }

private:
    std::shared_ptr<const Kernel> calls_;
    int fd_ = -1;
};

} // namespace platform::camera
