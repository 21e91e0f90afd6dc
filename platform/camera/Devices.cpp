#include "platform/camera/Devices.h"

#include "platform/camera/CaptureSession.h"
#include "platform/camera/OpenDevice.h"

#include <algorithm>
#include <cerrno>
#include <linux/videodev2.h>
#include <set>

namespace platform::camera {

namespace {

std::string text(const uint8_t* bytes, size_t size) {
    const auto* begin = reinterpret_cast<const char*>(bytes);
    return std::string(begin, std::find(begin, begin + size, '\0'));
}

std::optional<Device> describe(const OpenDevice& device, const std::string& path) {
    v4l2_capability capability{};
    if (!device.control(VIDIOC_QUERYCAP, &capability))
        return std::nullopt;
    const uint32_t caps = (capability.capabilities & V4L2_CAP_DEVICE_CAPS)
                              ? capability.device_caps
                              : capability.capabilities;
    if (!(caps & V4L2_CAP_VIDEO_CAPTURE) || !(caps & V4L2_CAP_STREAMING))
        return std::nullopt;
    return Device{path, text(capability.card, sizeof capability.card),
                  text(capability.driver, sizeof capability.driver),
                  text(capability.bus_info, sizeof capability.bus_info)};
}

std::vector<FrameRate> ratesOf(const OpenDevice& device, uint32_t pixelFormat, int width,
                               int height, std::span<const int> offeredRates) {
    std::vector<FrameRate> rates;
    v4l2_frmivalenum interval{};
    interval.pixel_format = pixelFormat;
    interval.width = uint32_t(width);
    interval.height = uint32_t(height);
    for (interval.index = 0; device.control(VIDIOC_ENUM_FRAMEINTERVALS, &interval);
         ++interval.index) {
        if (interval.type == V4L2_FRMIVAL_TYPE_DISCRETE) {
            const v4l2_fract& f = interval.discrete;
            if (f.numerator > 0 && f.denominator > 0)
                rates.push_back({f.denominator, f.numerator});
            continue;
        }
        // A range: the program's rates whose interval lies inside it, fastest first.
        const v4l2_fract& lo = interval.stepwise.min;
        const v4l2_fract& hi = interval.stepwise.max;
        for (auto it = offeredRates.rbegin(); it != offeredRates.rend(); ++it) {
            const uint64_t r = uint64_t(*it);
            // lo <= 1/r <= hi, compared without division.
            if (uint64_t(lo.numerator) * r <= lo.denominator &&
                uint64_t(hi.numerator) * r >= hi.denominator)
                rates.push_back({uint32_t(r), 1});
        }
        break;
    }
    return rates;
}

std::vector<std::pair<int, int>> sizesOf(const OpenDevice& device, uint32_t pixelFormat) {
    std::vector<std::pair<int, int>> sizes;
    v4l2_frmsizeenum size{};
    size.pixel_format = pixelFormat;
    for (size.index = 0; device.control(VIDIOC_ENUM_FRAMESIZES, &size); ++size.index) {
        if (size.type == V4L2_FRMSIZE_TYPE_DISCRETE) {
            sizes.emplace_back(int(size.discrete.width), int(size.discrete.height));
            continue;
        }
        // A range of sizes: its largest and smallest.
        sizes.emplace_back(int(size.stepwise.max_width), int(size.stepwise.max_height));
        if (size.stepwise.min_width != size.stepwise.max_width ||
            size.stepwise.min_height != size.stepwise.max_height)
            sizes.emplace_back(int(size.stepwise.min_width), int(size.stepwise.min_height));
        break;
    }
    return sizes;
}

} // namespace

std::string fourccText(uint32_t code) {
    std::string text;
    for (int i = 0; i < 4; ++i)
        text += char(code >> (8 * i) & 0xFF);
    return text;
}

std::vector<Device> listDevices() {
    std::vector<Device> devices;
    const auto calls = kernel();
    for (const std::string& path : calls->nodes()) {
        try {
            const OpenDevice device(path);
            if (auto described = describe(device, path))
                devices.push_back(std::move(*described));
        } catch (const CameraError&) {
            // A node that cannot be opened is no camera of ours.
        }
    }
    return devices;
}

std::optional<Device> findDevice(const std::string& name) {
    for (Device& device : listDevices())
        if (device.name == name)
            return std::move(device);
    return std::nullopt;
}

std::vector<Mode> listModes(const std::string& path, std::span<const int> offeredRates) {
    std::vector<Mode> modes;
    try {
        const OpenDevice device(path);
        v4l2_fmtdesc description{};
        description.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
        for (description.index = 0; device.control(VIDIOC_ENUM_FMT, &description);
             ++description.index)
            for (const auto& [width, height] : sizesOf(device, description.pixelformat))
                for (const FrameRate& rate :
                     ratesOf(device, description.pixelformat, width, height, offeredRates))
                    modes.push_back({description.pixelformat, width, height, rate});
    } catch (const CameraError&) {
    }
    return modes;
}

std::vector<Control> listControls(const std::string& path) {
    std::vector<Control> controls;
    try {
        const OpenDevice device(path);
        v4l2_queryctrl query{};
        query.id = V4L2_CTRL_FLAG_NEXT_CTRL;
        while (device.control(VIDIOC_QUERYCTRL, &query)) {
            Control control{query.id,
                            text(query.name, sizeof query.name),
                            query.type,
                            query.minimum,
                            query.maximum,
                            query.step,
                            query.default_value,
                            query.flags,
                            std::nullopt};
            v4l2_control value{query.id, 0};
            if (!(query.flags & V4L2_CTRL_FLAG_DISABLED) &&
                query.type != V4L2_CTRL_TYPE_CTRL_CLASS && device.control(VIDIOC_G_CTRL, &value))
                control.value = value.value;
            controls.push_back(std::move(control));
            query.id |= V4L2_CTRL_FLAG_NEXT_CTRL;
        }
    } catch (const CameraError&) {
    }
    return controls;
}

TestResult testDevice(const std::string& path, const Mode& mode, int timeoutMs) {
    try {
        CaptureSession session(path, mode, 2);
        if (!session.nextFrame(timeoutMs, [](const Frame&) {}))
            return {TestResult::Kind::Failed, ETIMEDOUT};
        return {};
    } catch (const CameraError& error) {
        if (refusedMode(error))
            return {TestResult::Kind::Refused, 0};
        return {TestResult::Kind::Failed, error.error()};
    }
}

std::vector<std::string> reportLines() {
    std::vector<std::string> lines;
    for (const Device& device : listDevices()) {
        lines.push_back(device.name + " : " + device.path + " : " + device.driver + " : " +
                        device.busInfo);
        for (const Mode& mode : listModes(device.path))
            lines.push_back("  " + fourccText(mode.pixelFormat) + " " + std::to_string(mode.width) +
                            "x" + std::to_string(mode.height) + " @ " +
                            std::to_string(mode.rate.num) + "/" + std::to_string(mode.rate.den));
        for (const Control& control : listControls(device.path)) {
            std::string line =
                "  control " + control.name + " : " + std::to_string(control.minimum) + ", " +
                std::to_string(control.maximum) + ", " + std::to_string(control.step) + ", " +
                std::to_string(control.defaultValue) + ", " + std::to_string(control.flags);
            if (control.value)
                line += " = " + std::to_string(*control.value);
            lines.push_back(std::move(line));
        }
    }
    return lines;
}

} // namespace platform::camera
