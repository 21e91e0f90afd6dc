// The machine's cameras: video nodes that capture video, their pixel layouts, frame sizes and
// frame rates, their controls, a test that takes one frame, and a report of all of them.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace platform::camera {

// A four-character pixel layout code as the kernel writes it ("YUYV" is 'Y' | 'U' << 8 | ...).
constexpr uint32_t fourcc(char a, char b, char c, char d) {
    return uint32_t(uint8_t(a)) | uint32_t(uint8_t(b)) << 8 | uint32_t(uint8_t(c)) << 16 |
           uint32_t(uint8_t(d)) << 24;
}
std::string fourccText(uint32_t code);

struct Device {
    std::string path;    // "/dev/video0"
    std::string name;    // the driver's card name, shown to the user
    std::string driver;  // the driver's name
    std::string busInfo; // where the device sits
};

// Frames per second as an exact ratio (30000/1001).
struct FrameRate {
    uint32_t num = 0;
    uint32_t den = 1;
    // Rounded to the nearest whole number.
    int rounded() const { return den ? int((uint64_t(num) * 2 + den) / (uint64_t(den) * 2)) : 0; }
    bool operator==(const FrameRate&) const = default;
};

struct Mode {
    uint32_t pixelFormat = 0;
    int width = 0;
    int height = 0;
    FrameRate rate;
    bool operator==(const Mode&) const = default;
};

struct Control {
    uint32_t id = 0;
    std::string name;
    uint32_t type = 0;
    int32_t minimum = 0, maximum = 0, step = 0, defaultValue = 0;
    uint32_t flags = 0;
    std::optional<int32_t> value; // nothing when the driver does not give it
};

// Frame rates offered inside a driver's continuous or stepwise range of intervals.
inline constexpr int OfferedRates[] = {1, 5, 10, 15, 20, 24, 25, 30, 48, 50, 60};

// Video nodes that can capture video, in the order of their numbers.
std::vector<Device> listDevices();
// The first camera whose name is `name` (exactly).
std::optional<Device> findDevice(const std::string& name);
// Every pixel layout × frame size × frame rate of a camera, in the driver's order.
std::vector<Mode> listModes(const std::string& path,
                            std::span<const int> offeredRates = OfferedRates);
// The camera's controls (brightness, exposure, ...) with their ranges and values.
std::vector<Control> listControls(const std::string& path);

// What a test of a camera found.
struct TestResult {
    enum class Kind { Ok, Refused, Failed };
    Kind kind = Kind::Ok;
    int error = 0; // errno of the failing call (Failed)
};
// Opens the camera in `mode`, takes one frame within `timeoutMs` and closes it. A mode the
// driver does not take exactly is Refused.
TestResult testDevice(const std::string& path, const Mode& mode, int timeoutMs = 2000);

// Lines describing every camera: capabilities, modes and controls.
std::vector<std::string> reportLines();

} // namespace platform::camera
