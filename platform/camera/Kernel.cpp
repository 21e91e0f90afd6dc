#include "platform/camera/Kernel.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <filesystem>
#include <mutex>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/mman.h>
#include <unistd.h>

namespace platform::camera {

namespace {

std::mutex CallsLock;
std::shared_ptr<const Kernel> Calls;

std::vector<std::string> videoNodes() {
    std::vector<std::pair<int, std::string>> found;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator("/dev", error)) {
        const std::string name = entry.path().filename().string();
        if (name.rfind("video", 0) != 0 || name.size() == 5 ||
            !std::all_of(name.begin() + 5, name.end(), [](char c) { return c >= '0' && c <= '9'; }))
            continue;
        found.emplace_back(std::stoi(name.substr(5)), entry.path().string());
    }
    std::sort(found.begin(), found.end());
    std::vector<std::string> nodes;
    for (auto& node : found)
        nodes.push_back(std::move(node.second));
    return nodes;
}

} // namespace

Kernel systemKernel() {
    Kernel calls;
    calls.nodes = videoNodes;
    calls.open = [](const std::string& path) { return ::open(path.c_str(), O_RDWR | O_NONBLOCK); };
    calls.ioctl = [](int fd, unsigned long request, void* argument) {
        int result;
        do
            result = ::ioctl(fd, request, argument);
        while (result == -1 && errno == EINTR);
        return result;
    };
    calls.mmap = [](int fd, size_t length, off_t offset) -> void* {
        void* address = ::mmap(nullptr, length, PROT_READ | PROT_WRITE, MAP_SHARED, fd, offset);
        return address == MAP_FAILED ? nullptr : address;
    };
    calls.munmap = [](void* address, size_t length) { return ::munmap(address, length); };
    calls.poll = [](int fd, int timeoutMs) {
        pollfd entry{fd, POLLIN, 0};
        const int result = ::poll(&entry, 1, timeoutMs);
        if (result > 0 && (entry.revents & (POLLERR | POLLHUP | POLLNVAL))) {
            errno = EIO;
            return -1;
        }
        return result;
    };
    calls.close = [](int fd) { return ::close(fd); };
    return calls;
}

std::shared_ptr<const Kernel> kernel() {
    std::lock_guard lock(CallsLock);
    if (!Calls)
        Calls = std::make_shared<const Kernel>(systemKernel());
    return Calls;
}

KernelOverride::KernelOverride(Kernel calls) : previous_(kernel()) {
    std::lock_guard lock(CallsLock);
    Calls = std::make_shared<const Kernel>(std::move(calls));
}

KernelOverride::~KernelOverride() {
    std::lock_guard lock(CallsLock);
    Calls = std::move(previous_);
}

} // namespace platform::camera
