#include "platform/audio/Stream.h"

#include "platform/audio/Connection.h"
#include "platform/audio/Devices.h"

#include <algorithm>
#include <cstring>
#include <pulse/stream.h>

namespace platform::audio {

namespace {

void signalConnection(pa_stream*, void* userdata) {
    static_cast<Connection*>(userdata)->signal();
}

void signalOnSuccess(pa_stream*, int, void* userdata) {
    static_cast<Connection*>(userdata)->signal();
}

} // namespace

StreamFormat defaultPlaybackFormat() {
    const auto device = findDevice(Flow::Render, defaultDeviceId(Flow::Render));
    if (!device)
        throw AudioError("no playback device");
    return StreamFormat{device->sampleRate, device->channels};
}

Stream::Stream(const StreamFormat& format, const char* name)
    : connection_(std::make_unique<Connection>(name)), format_(format) {
    if (format.sampleRate <= 0 || format.channels <= 0 || format.channels > int(PA_CHANNELS_MAX))
        throw AudioError("unsupported stream format");
    const pa_sample_spec spec{PA_SAMPLE_S16LE, uint32_t(format.sampleRate),
                              uint8_t(format.channels)};
    Connection::Lock lock(*connection_);
    stream_ = pa_stream_new(connection_->context(), name, &spec, nullptr);
    if (!stream_)
        throw AudioError("cannot create a sound stream: " + connection_->lastError());
    pa_stream_set_state_callback(stream_, signalConnection, connection_.get());
}

Stream::~Stream() {
    if (!stream_)
        return;
    Connection::Lock lock(*connection_);
    pa_stream_set_state_callback(stream_, nullptr, nullptr);
    pa_stream_set_read_callback(stream_, nullptr, nullptr);
    pa_stream_disconnect(stream_);
    pa_stream_unref(stream_);
}

std::string Stream::deviceId() const {
    Connection::Lock lock(*connection_);
    const char* name = pa_stream_get_device_name(stream_);
    return name ? name : "";
}

void Stream::waitUntilReady() {
    connection_->waitFor([this] {
        const pa_stream_state_t state = pa_stream_get_state(stream_);
        return state == PA_STREAM_READY || !PA_STREAM_IS_GOOD(state);
    });
    if (pa_stream_get_state(stream_) != PA_STREAM_READY)
        throw AudioError("the sound server refused the stream: " + connection_->lastError());
}

PlaybackStream::PlaybackStream(const StreamFormat& format, const std::string& deviceId,
                               int bufferMs)
    : Stream(format, "Tavrin playback") {
    bufferBytes_ = size_t(int64_t(format.sampleRate) * std::max(bufferMs, 1) / 1000) *
                   size_t(format.bytesPerFrame());
    pa_buffer_attr attributes{};
    attributes.maxlength = uint32_t(-1);
    attributes.tlength = uint32_t(bufferBytes_);
    attributes.prebuf = uint32_t(-1);
    attributes.minreq = uint32_t(-1);
    attributes.fragsize = uint32_t(-1);
    Connection::Lock lock(*connection_);
    if (pa_stream_connect_playback(
            stream_, deviceId.empty() ? nullptr : deviceId.c_str(), &attributes,
            pa_stream_flags_t(PA_STREAM_START_CORKED | PA_STREAM_INTERPOLATE_TIMING |
                              PA_STREAM_AUTO_TIMING_UPDATE),
            nullptr, nullptr) != 0)
        throw AudioError("cannot connect playback: " + connection_->lastError());
    waitUntilReady();
}

size_t PlaybackStream::writableBytes() {
    Connection::Lock lock(*connection_);
    const size_t writable = pa_stream_writable_size(stream_);
    if (writable == size_t(-1))
        return 0;
    return writable - writable % size_t(format_.bytesPerFrame());
}

bool PlaybackStream::write(const void* data, size_t bytes) {
    if (bytes == 0)
        return true;
    Connection::Lock lock(*connection_);
    if (pa_stream_write(stream_, data, bytes, nullptr, 0, PA_SEEK_RELATIVE) != 0)
        return false;
    queuedBytes_ += bytes;
    return true;
}

void PlaybackStream::start() {
    connection_->run(
        [this] { return pa_stream_cork(stream_, 0, signalOnSuccess, connection_.get()); });
    Connection::Lock lock(*connection_);
    started_ = true;
}

int64_t PlaybackStream::playedMs() {
    Connection::Lock lock(*connection_);
    return int64_t(playedBytes()) * 1000 / (int64_t(format_.sampleRate) * format_.bytesPerFrame());
}

size_t PlaybackStream::playedBytes() const {
    if (!started_)
        return heardBytes_;
    // What was queued less what is still to be heard; before the server's first timing report
    // nothing was heard yet.
    pa_usec_t pending = 0;
    int negative = 0;
    if (pa_stream_get_latency(stream_, &pending, &negative) != 0)
        return heardBytes_;
    const size_t pendingBytes =
        negative ? 0 : pa_usec_to_bytes(pending, pa_stream_get_sample_spec(stream_));
    return heardBytes_ + (queuedBytes_ > pendingBytes ? queuedBytes_ - pendingBytes : 0);
}

void PlaybackStream::stop() {
    {
        // The flush drops what is queued: what was heard until now stays heard.
        Connection::Lock lock(*connection_);
        heardBytes_ = playedBytes();
        queuedBytes_ = 0;
        started_ = false;
    }
    connection_->run(
        [this] { return pa_stream_cork(stream_, 1, signalOnSuccess, connection_.get()); });
    connection_->run(
        [this] { return pa_stream_flush(stream_, signalOnSuccess, connection_.get()); });
}

CaptureStream::CaptureStream(const StreamFormat& format, const std::string& deviceId,
                             int fragmentMs)
    : Stream(format, "Tavrin capture") {
    pa_buffer_attr attributes{};
    attributes.maxlength = uint32_t(-1);
    attributes.fragsize = uint32_t(int64_t(format.sampleRate) * std::max(fragmentMs, 1) / 1000 *
                                   format.bytesPerFrame());
    Connection::Lock lock(*connection_);
    if (pa_stream_connect_record(stream_, deviceId.empty() ? nullptr : deviceId.c_str(),
                                 &attributes, PA_STREAM_ADJUST_LATENCY) != 0)
        throw AudioError("cannot connect recording: " + connection_->lastError());
    waitUntilReady();
}

size_t CaptureStream::read(void* data, size_t maxBytes) {
    maxBytes -= maxBytes % size_t(format_.bytesPerFrame());
    auto* out = static_cast<char*>(data);
    size_t moved = 0;
    Connection::Lock lock(*connection_);
    while (moved < maxBytes) {
        if (pending_.empty()) {
            const void* fragment = nullptr;
            size_t length = 0;
            if (pa_stream_peek(stream_, &fragment, &length) != 0 || length == 0)
                break;
            // A hole in the recording (no data) reads as silence.
            pending_ = fragment ? std::string(static_cast<const char*>(fragment), length)
                                : std::string(length, '\0');
            pa_stream_drop(stream_);
        }
        const size_t n = std::min(maxBytes - moved, pending_.size());
        std::memcpy(out + moved, pending_.data(), n);
        pending_.erase(0, n);
        moved += n;
    }
    return moved;
}

} // namespace platform::audio
