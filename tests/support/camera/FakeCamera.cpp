#include "tests/support/camera/FakeCamera.h"

#include "platform/camera/Devices.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <deque>
#include <jpeglib.h>
#include <linux/videodev2.h>
#include <map>
#include <mutex>
#include <thread>

namespace fakecam {

namespace {

using Clock = std::chrono::steady_clock;
using platform::camera::fourcc;

int BytesPerLine(uint32_t pixelFormat, int width) {
    if (pixelFormat == fourcc('Y', 'U', 'Y', 'V') || pixelFormat == fourcc('U', 'Y', 'V', 'Y'))
        return width * 2;
    if (pixelFormat == fourcc('X', 'R', '2', '4') || pixelFormat == fourcc('A', 'R', '2', '4') ||
        pixelFormat == fourcc('B', 'G', 'R', '4'))
        return width * 4;
    if (pixelFormat == fourcc('B', 'G', 'R', '3'))
        return width * 3;
    return width;
}

void CopyText(uint8_t* target, size_t size, const std::string& text) {
    std::memset(target, 0, size);
    std::memcpy(target, text.data(), std::min(size - 1, text.size()));
}

int Fail(int error) {
    errno = error;
    return -1;
}

} // namespace

size_t FrameBytes(uint32_t pixelFormat, int width, int height) {
    if (pixelFormat == fourcc('N', 'V', '1', '2') || pixelFormat == fourcc('Y', 'U', '1', '2'))
        return size_t(width) * size_t(height) +
               2 * size_t((width + 1) / 2) * size_t((height + 1) / 2);
    if (pixelFormat == fourcc('M', 'J', 'P', 'G'))
        return size_t(width) * size_t(height) * 2;
    return size_t(BytesPerLine(pixelFormat, width)) * size_t(height);
}

struct Cameras::State {
    struct Open {
        size_t device = 0;
        uint32_t pixelFormat = 0;
        int width = 0, height = 0;
        std::vector<std::vector<uint8_t>> buffers;
        std::deque<uint32_t> queued;
        bool streaming = false;
        Clock::time_point start;
        int next = 0;
        bool ended = false;
        std::vector<uint8_t> pending;
        int64_t pendingDue = 0;
        bool hasPending = false;
    };

    std::vector<Device> devices;
    mutable std::mutex lock;
    std::map<int, Open> open;
    int nextFd = 1000;

    Device* deviceOf(int fd) {
        const auto it = open.find(fd);
        return it == open.end() ? nullptr : &devices[it->second.device];
    }

    // Makes the next frame of the script pending; false when the script has ended.
    bool loadNext(Open& o) {
        if (o.hasPending)
            return true;
        if (o.ended)
            return false;
        const Device& d = devices[o.device];
        if (!d.frames || !d.frames(o.next, o.pending, o.pendingDue)) {
            o.ended = true;
            return false;
        }
        o.hasPending = true;
        return true;
    }

    int ioctl(int fd, unsigned long request, void* argument);
    int enumerate(const Device& d, unsigned long request, void* argument);
    int setFormat(Device& d, Open& o, v4l2_format& format);
    int dequeue(Open& o, v4l2_buffer& buffer);
    int poll(int fd, int timeoutMs);
};

int Cameras::State::enumerate(const Device& d, unsigned long request, void* argument) {
    if (request == VIDIOC_ENUM_FMT) {
        auto& f = *static_cast<v4l2_fmtdesc*>(argument);
        if (f.index >= d.formats.size())
            return Fail(EINVAL);
        f.pixelformat = d.formats[f.index].pixelFormat;
        f.flags = f.pixelformat == fourcc('M', 'J', 'P', 'G') ? V4L2_FMT_FLAG_COMPRESSED : 0;
        return 0;
    }
    const auto format = [&](uint32_t code) -> const Format* {
        for (const Format& f : d.formats)
            if (f.pixelFormat == code)
                return &f;
        return nullptr;
    };
    if (request == VIDIOC_ENUM_FRAMESIZES) {
        auto& s = *static_cast<v4l2_frmsizeenum*>(argument);
        const Format* f = format(s.pixel_format);
        if (!f || s.index >= f->sizes.size())
            return Fail(EINVAL);
        s.type = V4L2_FRMSIZE_TYPE_DISCRETE;
        s.discrete.width = uint32_t(f->sizes[s.index].width);
        s.discrete.height = uint32_t(f->sizes[s.index].height);
        return 0;
    }
    auto& i = *static_cast<v4l2_frmivalenum*>(argument);
    const Format* f = format(i.pixel_format);
    if (!f)
        return Fail(EINVAL);
    for (const Size& size : f->sizes) {
        if (size.width != int(i.width) || size.height != int(i.height))
            continue;
        if (size.intervalRange) {
            if (i.index > 0 || size.intervals.size() < 2)
                return Fail(EINVAL);
            i.type = V4L2_FRMIVAL_TYPE_CONTINUOUS;
            i.stepwise.min = {size.intervals[0].first, size.intervals[0].second};
            i.stepwise.max = {size.intervals[1].first, size.intervals[1].second};
            i.stepwise.step = {1, 1};
            return 0;
        }
        if (i.index >= size.intervals.size())
            return Fail(EINVAL);
        i.type = V4L2_FRMIVAL_TYPE_DISCRETE;
        i.discrete = {size.intervals[i.index].first, size.intervals[i.index].second};
        return 0;
    }
    return Fail(EINVAL);
}

int Cameras::State::setFormat(Device& d, Open& o, v4l2_format& format) {
    if (d.busyError)
        return Fail(d.busyError);
    auto& pix = format.fmt.pix;
    if (d.adjustsFormat) {
        pix.width = std::max(2u, pix.width / 2);
        pix.height = std::max(2u, pix.height / 2);
    }
    o.pixelFormat = pix.pixelformat;
    o.width = int(pix.width);
    o.height = int(pix.height);
    pix.bytesperline = uint32_t(BytesPerLine(pix.pixelformat, o.width));
    pix.sizeimage = uint32_t(FrameBytes(pix.pixelformat, o.width, o.height));
    return 0;
}

int Cameras::State::dequeue(Open& o, v4l2_buffer& buffer) {
    if (!o.streaming || o.queued.empty() || !loadNext(o))
        return Fail(EAGAIN);
    const auto due = o.start + std::chrono::milliseconds(o.pendingDue);
    if (Clock::now() < due)
        return Fail(EAGAIN);
    const uint32_t index = o.queued.front();
    o.queued.pop_front();
    std::vector<uint8_t>& memory = o.buffers[index];
    const size_t n = std::min(memory.size(), o.pending.size());
    std::memcpy(memory.data(), o.pending.data(), n);
    buffer.index = index;
    buffer.bytesused = uint32_t(n);
    buffer.sequence = uint32_t(o.next);
    buffer.flags = V4L2_BUF_FLAG_TIMESTAMP_MONOTONIC;
    const auto sinceEpoch =
        std::chrono::duration_cast<std::chrono::microseconds>(due.time_since_epoch()).count();
    buffer.timestamp.tv_sec = sinceEpoch / 1'000'000;
    buffer.timestamp.tv_usec = sinceEpoch % 1'000'000;
    o.hasPending = false;
    ++o.next;
    return 0;
}

int Cameras::State::ioctl(int fd, unsigned long request, void* argument) {
    std::lock_guard guard(lock);
    Device* d = deviceOf(fd);
    if (!d)
        return Fail(EBADF);
    Open& o = open[fd];
    switch (request) {
    case VIDIOC_QUERYCAP: {
        auto& c = *static_cast<v4l2_capability*>(argument);
        std::memset(&c, 0, sizeof c);
        CopyText(c.driver, sizeof c.driver, "fakecam");
        CopyText(c.card, sizeof c.card, d->card);
        CopyText(c.bus_info, sizeof c.bus_info, "platform:" + d->path);
        c.device_caps =
            (d->capture ? V4L2_CAP_VIDEO_CAPTURE : V4L2_CAP_VIDEO_OUTPUT) | V4L2_CAP_STREAMING;
        c.capabilities = c.device_caps | V4L2_CAP_DEVICE_CAPS;
        return 0;
    }
    case VIDIOC_ENUM_FMT:
    case VIDIOC_ENUM_FRAMESIZES:
    case VIDIOC_ENUM_FRAMEINTERVALS:
        return enumerate(*d, request, argument);
    case VIDIOC_QUERYCTRL: {
        auto& q = *static_cast<v4l2_queryctrl*>(argument);
        const uint32_t after = q.id & ~V4L2_CTRL_FLAG_NEXT_CTRL;
        for (const ControlSpec& c : d->controls)
            if ((q.id & V4L2_CTRL_FLAG_NEXT_CTRL) ? c.id > after : c.id == after) {
                std::memset(&q, 0, sizeof q);
                q.id = c.id;
                q.type = V4L2_CTRL_TYPE_INTEGER;
                CopyText(q.name, sizeof q.name, c.name);
                q.minimum = c.minimum;
                q.maximum = c.maximum;
                q.step = c.step;
                q.default_value = c.defaultValue;
                return 0;
            }
        return Fail(EINVAL);
    }
    case VIDIOC_G_CTRL: {
        auto& v = *static_cast<v4l2_control*>(argument);
        for (const ControlSpec& c : d->controls)
            if (c.id == v.id) {
                v.value = c.value;
                return 0;
            }
        return Fail(EINVAL);
    }
    case VIDIOC_S_FMT:
        return setFormat(*d, o, *static_cast<v4l2_format*>(argument));
    case VIDIOC_S_PARM:
        return 0;
    case VIDIOC_REQBUFS: {
        auto& r = *static_cast<v4l2_requestbuffers*>(argument);
        o.buffers.assign(r.count,
                         std::vector<uint8_t>(FrameBytes(o.pixelFormat, o.width, o.height)));
        o.queued.clear();
        return 0;
    }
    case VIDIOC_QUERYBUF: {
        auto& b = *static_cast<v4l2_buffer*>(argument);
        if (b.index >= o.buffers.size())
            return Fail(EINVAL);
        b.length = uint32_t(o.buffers[b.index].size());
        b.m.offset = b.index * 4096u;
        return 0;
    }
    case VIDIOC_QBUF: {
        const auto& b = *static_cast<v4l2_buffer*>(argument);
        if (b.index >= o.buffers.size())
            return Fail(EINVAL);
        o.queued.push_back(b.index);
        return 0;
    }
    case VIDIOC_DQBUF:
        return dequeue(o, *static_cast<v4l2_buffer*>(argument));
    case VIDIOC_STREAMON:
        o.streaming = true;
        o.start = Clock::now();
        return 0;
    case VIDIOC_STREAMOFF:
        o.streaming = false;
        return 0;
    default:
        return Fail(ENOTTY);
    }
}

int Cameras::State::poll(int fd, int timeoutMs) {
    const auto limit = Clock::now() + std::chrono::milliseconds(timeoutMs);
    Clock::time_point due;
    {
        std::lock_guard guard(lock);
        auto it = open.find(fd);
        if (it == open.end())
            return Fail(EBADF);
        Open& o = it->second;
        if (!o.streaming || !loadNext(o)) {
            due = Clock::time_point::max();
        } else {
            due = o.start + std::chrono::milliseconds(o.pendingDue);
        }
    }
    std::this_thread::sleep_until(std::min(due, limit));
    return Clock::now() >= due ? 1 : 0;
}

Cameras::Cameras(std::vector<Device> devices) : state_(std::make_shared<State>()) {
    state_->devices = std::move(devices);
    platform::camera::Kernel calls;
    auto state = state_;
    calls.nodes = [state] {
        std::vector<std::string> nodes;
        for (const Device& d : state->devices)
            nodes.push_back(d.path);
        return nodes;
    };
    calls.open = [state](const std::string& path) {
        std::lock_guard guard(state->lock);
        for (size_t i = 0; i < state->devices.size(); ++i)
            if (state->devices[i].path == path) {
                if (state->devices[i].openError)
                    return Fail(state->devices[i].openError);
                const int fd = state->nextFd++;
                state->open[fd].device = i;
                return fd;
            }
        return Fail(ENOENT);
    };
    calls.ioctl = [state](int fd, unsigned long request, void* argument) {
        return state->ioctl(fd, request, argument);
    };
    calls.mmap = [state](int fd, size_t, off_t offset) -> void* {
        std::lock_guard guard(state->lock);
        auto it = state->open.find(fd);
        const size_t index = size_t(offset) / 4096;
        if (it == state->open.end() || index >= it->second.buffers.size()) {
            errno = EINVAL;
            return nullptr;
        }
        return it->second.buffers[index].data();
    };
    calls.munmap = [](void*, size_t) { return 0; };
    calls.poll = [state](int fd, int timeoutMs) { return state->poll(fd, timeoutMs); };
    calls.close = [state](int fd) {
        std::lock_guard guard(state->lock);
        return state->open.erase(fd) ? 0 : Fail(EBADF);
    };
    override_ = std::make_unique<platform::camera::KernelOverride>(std::move(calls));
}

Cameras::~Cameras() = default;

int Cameras::openDescriptors() const {
    std::lock_guard guard(state_->lock);
    return int(state_->open.size());
}

std::vector<uint8_t> EncodeJpeg(const uint8_t* bgra, int width, int height, int quality) {
    jpeg_compress_struct info{};
    jpeg_error_mgr errors{};
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    unsigned char* out = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &out, &size);
    info.image_width = JDIMENSION(width);
    info.image_height = JDIMENSION(height);
    info.input_components = 4;
    info.in_color_space = JCS_EXT_BGRA;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, quality, TRUE);
    info.comp_info[0].h_samp_factor = 2;
    info.comp_info[0].v_samp_factor = 1;
    jpeg_start_compress(&info, TRUE);
    while (info.next_scanline < info.image_height) {
        JSAMPROW row = const_cast<uint8_t*>(bgra) + size_t(info.next_scanline) * size_t(width) * 4;
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    std::vector<uint8_t> bytes(out, out + size);
    jpeg_destroy_compress(&info);
    std::free(out);
    return bytes;
}

} // namespace fakecam
