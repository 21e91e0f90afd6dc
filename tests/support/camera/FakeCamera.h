// A scripted camera for the tests: the camera layer's kernel calls are answered by devices
// described here, which stream frames made by the test at scripted times.
#pragma once

#include "platform/camera/Kernel.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace fakecam {

struct Size {
    int width = 0;
    int height = 0;
    // Frame intervals in seconds as numerator/denominator ({1001, 30000} is 29.97 fps).
    std::vector<std::pair<uint32_t, uint32_t>> intervals;
    // A continuous range of intervals from intervals[0] to intervals[1] instead.
    bool intervalRange = false;
};

struct Format {
    uint32_t pixelFormat = 0;
    std::vector<Size> sizes;
};

struct ControlSpec {
    uint32_t id = 0;
    std::string name;
    int32_t minimum = 0, maximum = 0, step = 1, defaultValue = 0, value = 0;
};

struct Device {
    std::string path;
    std::string card;
    bool capture = true; // offers video capture
    std::vector<Format> formats;
    std::vector<ControlSpec> controls;
    int openError = 0;          // open fails with this errno
    int busyError = 0;          // setting the format fails with this errno (EBUSY: in use)
    bool adjustsFormat = false; // answers a format other than the one asked for
    // Frame k of the stream and when it is due, in ms after streaming starts; false: no more
    // frames (the camera stalls for good).
    std::function<bool(int k, std::vector<uint8_t>& bytes, int64_t& dueMs)> frames;
};

// Installs the devices in place of the kernel's for the object's life.
class Cameras {
public:
    explicit Cameras(std::vector<Device> devices);
    ~Cameras();
    Cameras(const Cameras&) = delete;
    Cameras& operator=(const Cameras&) = delete;

    // Descriptors still open (tests check that every one was closed).
    int openDescriptors() const;

private:
    struct State;
    std::shared_ptr<State> state_;
    std::unique_ptr<platform::camera::KernelOverride> override_;
};

// Bytes of one frame of a layout.
size_t FrameBytes(uint32_t pixelFormat, int width, int height);
// A JPEG of a BGRA picture with 4:2:2 chroma, as cameras send them.
std::vector<uint8_t> EncodeJpeg(const uint8_t* bgra, int width, int height, int quality = 95);

} // namespace fakecam
