#include "platform/camera/CaptureSession.h"

#include "platform/system/Clock.h"

#include <cerrno>
#include <cstring>
#include <linux/videodev2.h>

namespace platform::camera {

CaptureSession::CaptureSession(const std::string& path, const Mode& mode, int bufferCount)
    : device_(path), mode_(mode) {
    setMode();
    try {
        mapBuffers(bufferCount);
        int type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
        device_.require(VIDIOC_STREAMON, &type, "cannot start streaming");
        streaming_ = true;
    } catch (...) {
        unmapBuffers();
        throw;
    }
}

CaptureSession::~CaptureSession() {
    if (streaming_) {
        int type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
        device_.control(VIDIOC_STREAMOFF, &type);
    }
    unmapBuffers();
}

void CaptureSession::setMode() {
    v4l2_format format{};
    format.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
    format.fmt.pix.width = uint32_t(mode_.width);
    format.fmt.pix.height = uint32_t(mode_.height);
    format.fmt.pix.pixelformat = mode_.pixelFormat;
    format.fmt.pix.field = V4L2_FIELD_ANY;
    device_.require(VIDIOC_S_FMT, &format, "cannot set the format");
    // A driver adjusts what it cannot do: frames of another layout or size would not fit the
    // buffers of the caller.
    if (format.fmt.pix.width != uint32_t(mode_.width) ||
        format.fmt.pix.height != uint32_t(mode_.height) ||
        format.fmt.pix.pixelformat != mode_.pixelFormat)
        throw CameraError("the camera does not take " + fourccText(mode_.pixelFormat) + " " +
                              std::to_string(mode_.width) + "x" + std::to_string(mode_.height),
                          0);
    stride_ = int(format.fmt.pix.bytesperline);
    imageBytes_ = format.fmt.pix.sizeimage;
    if (mode_.rate.num == 0)
        return;
    v4l2_streamparm parameters{};
    parameters.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
    parameters.parm.capture.timeperframe.numerator = mode_.rate.den;
    parameters.parm.capture.timeperframe.denominator = mode_.rate.num;
    // Drivers without a rate setting stream at their own rate.
    device_.control(VIDIOC_S_PARM, &parameters);
}

void CaptureSession::mapBuffers(int count) {
    v4l2_requestbuffers request{};
    request.count = uint32_t(count);
    request.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
    request.memory = V4L2_MEMORY_MMAP;
    device_.require(VIDIOC_REQBUFS, &request, "cannot get buffers");
    if (request.count == 0)
        throw CameraError("the camera gave no buffers", ENOMEM);
    for (uint32_t i = 0; i < request.count; ++i) {
        v4l2_buffer buffer{};
        buffer.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
        buffer.memory = V4L2_MEMORY_MMAP;
        buffer.index = i;
        device_.require(VIDIOC_QUERYBUF, &buffer, "cannot query a buffer");
        void* address = device_.calls().mmap(device_.fd(), buffer.length, off_t(buffer.m.offset));
        if (!address) {
            const int error = errno;
            throw CameraError("cannot map a buffer", error);
        }
        buffers_.push_back({address, buffer.length});
        device_.require(VIDIOC_QBUF, &buffer, "cannot queue a buffer");
    }
}

void CaptureSession::unmapBuffers() {
    for (const Buffer& buffer : buffers_)
        device_.calls().munmap(buffer.address, buffer.length);
    buffers_.clear();
}

bool CaptureSession::nextFrame(int timeoutMs, const std::function<void(const Frame&)>& consume) {
    const int ready = device_.calls().poll(device_.fd(), timeoutMs);
    if (ready < 0) {
        const int error = errno;
        if (error == EINTR)
            return false;
        throw CameraError("the camera failed", error);
    }
    if (ready == 0)
        return false;
    v4l2_buffer buffer{};
    buffer.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
    buffer.memory = V4L2_MEMORY_MMAP;
    if (!device_.control(VIDIOC_DQBUF, &buffer)) {
        const int error = errno;
        if (error == EAGAIN)
            return false;
        throw CameraError("cannot take a frame", error);
    }
    Frame frame;
    if (buffer.index < buffers_.size()) {
        frame.data = static_cast<const uint8_t*>(buffers_[buffer.index].address);
        frame.bytes = std::min<size_t>(buffer.bytesused, buffers_[buffer.index].length);
    }
    frame.sequence = buffer.sequence;
    // Stamps on the monotonic clock are the shared clock's; others are replaced by now.
    if ((buffer.flags & V4L2_BUF_FLAG_TIMESTAMP_MASK) == V4L2_BUF_FLAG_TIMESTAMP_MONOTONIC)
        frame.timeMs = int64_t(buffer.timestamp.tv_sec) * 1000 + buffer.timestamp.tv_usec / 1000;
    else
        frame.timeMs = platform::system::performanceCounter() / 1'000'000;
    try {
        if (frame.data && frame.bytes > 0)
            consume(frame);
    } catch (...) {
        device_.control(VIDIOC_QBUF, &buffer);
        throw;
    }
    device_.control(VIDIOC_QBUF, &buffer);
    return frame.data && frame.bytes > 0;
}

} // namespace platform::camera
