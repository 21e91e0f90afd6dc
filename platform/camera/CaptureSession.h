// A camera streaming frames in one mode through driver buffers mapped into the process.
#pragma once

#include "platform/camera/Devices.h"
#include "platform/camera/OpenDevice.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace platform::camera {

// One frame as the driver filled it; valid only during the callback that receives it.
struct Frame {
    const uint8_t* data = nullptr;
    size_t bytes = 0;
    // When the frame was taken, in ms of the program's shared monotonic clock.
    int64_t timeMs = 0;
    uint32_t sequence = 0;
};

class CaptureSession {
public:
    // Opens the camera and sets `mode`. Throws CameraError: errno of the failing call, or 0
    // with `refused()` true when the driver changes the layout, the size or the rate.
    CaptureSession(const std::string& path, const Mode& mode, int bufferCount = 4);
    ~CaptureSession();
    CaptureSession(const CaptureSession&) = delete;
    CaptureSession& operator=(const CaptureSession&) = delete;

    // Bytes from one row to the next of the first plane, and of a whole frame.
    int stride() const { return stride_; }
    size_t imageBytes() const { return imageBytes_; }
    const Mode& mode() const { return mode_; }

    // Waits up to `timeoutMs` for a frame and hands it to `consume`, then gives the buffer
    // back to the driver. False on a time-out; throws CameraError when the device fails.
    bool nextFrame(int timeoutMs, const std::function<void(const Frame&)>& consume);

private:
    struct Buffer {
        void* address = nullptr;
        size_t length = 0;
    };
    void setMode();
    void mapBuffers(int count);
    void unmapBuffers();

    OpenDevice device_;
    Mode mode_;
    int stride_ = 0;
    size_t imageBytes_ = 0;
    std::vector<Buffer> buffers_;
    bool streaming_ = false;
};

// Whether a CameraError means the driver would not take the mode as asked.
inline bool refusedMode(const CameraError& error) {
    return error.error() == 0;
}

} // namespace platform::camera
