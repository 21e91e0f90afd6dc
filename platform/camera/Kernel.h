// The kernel calls of the camera layer, gathered in one table so that tests can put a scripted
// device in place of the kernel's video nodes.
#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <sys/types.h>
#include <vector>

namespace platform::camera {

struct Kernel {
    // The video nodes ("/dev/video0", ...) in the order of their numbers.
    std::function<std::vector<std::string>()> nodes;
    // As open(2) for reading and writing, without blocking: a descriptor, or -1 with errno.
    std::function<int(const std::string& path)> open;
    std::function<int(int fd, unsigned long request, void* argument)> ioctl;
    // A shared read-write mapping of a driver buffer; nullptr (with errno) on failure.
    std::function<void*(int fd, size_t length, off_t offset)> mmap;
    std::function<int(void* address, size_t length)> munmap;
    // Waits up to `timeoutMs` for a frame: >0 ready, 0 time-out, -1 error (errno).
    std::function<int(int fd, int timeoutMs)> poll;
    std::function<int(int fd)> close;
};

// The real kernel's calls.
Kernel systemKernel();
// The calls in use now; callers keep the pointer for as long as they use a device.
std::shared_ptr<const Kernel> kernel();

// Puts other calls in place for the object's life (tests), then restores the previous ones.
class KernelOverride {
public:
    explicit KernelOverride(Kernel calls);
    ~KernelOverride();
    KernelOverride(const KernelOverride&) = delete;
    KernelOverride& operator=(const KernelOverride&) = delete;

private:
    std::shared_ptr<const Kernel> previous_;
};

} // namespace platform::camera
