// Streams of interleaved signed 16-bit little-endian PCM to a playback device and from a
// recording device (a sink's monitor records what the sink plays).
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

struct pa_stream;

namespace platform::audio {

class Connection;

struct StreamFormat {
    int sampleRate = 44100;
    int channels = 2;
    int bytesPerFrame() const { return channels * 2; }
};

// The rate and channel count of the default playback device. Throws AudioError when no server
// answers or it has no playback device.
StreamFormat defaultPlaybackFormat();

class Stream {
public:
    virtual ~Stream();
    Stream(const Stream&) = delete;
    Stream& operator=(const Stream&) = delete;

    const StreamFormat& format() const { return format_; }
    // The id of the device the server connected the stream to.
    std::string deviceId() const;

protected:
    // Creates the stream on its own connection; the derived class connects it.
    Stream(const StreamFormat& format, const char* name);
    // Waits until the stream is connected; throws AudioError when the server refuses it.
    void waitUntilReady();

    std::unique_ptr<Connection> connection_;
    pa_stream* stream_ = nullptr;
    StreamFormat format_;
};

// Playback with a buffer of `bufferMs` on the server; it starts paused.
class PlaybackStream : public Stream {
public:
    // `deviceId` empty: the default playback device. Throws AudioError when the server or the
    // device refuses.
    explicit PlaybackStream(const StreamFormat& format, const std::string& deviceId = {},
                            int bufferMs = 1000);

    size_t bufferBytes() const { return bufferBytes_; }
    // Bytes the server's buffer can take now.
    size_t writableBytes();
    // Queues whole frames behind what is queued; false when the server refuses.
    bool write(const void* data, size_t bytes);
    void start();
    // Milliseconds of sound the device has played: what a listener has heard, which trails what
    // was written by the server's and the device's latency and never passes it.
    int64_t playedMs();
    // Pauses and drops whatever is queued.
    void stop();

private:
    // With the connection locked.
    size_t playedBytes() const;

    size_t bufferBytes_ = 0;
    size_t queuedBytes_ = 0; // written since the last start
    size_t heardBytes_ = 0;  // played before the last stop
    bool started_ = false;
};

// Recording from a source (a device or a sink's monitor) into a client-side queue.
class CaptureStream : public Stream {
public:
    // The server hands over what it recorded in fragments of about `fragmentMs`. Throws
    // AudioError when the server or the device refuses.
    CaptureStream(const StreamFormat& format, const std::string& deviceId, int fragmentMs = 20);

    // Moves up to `maxBytes` of what has arrived (whole frames); returns the bytes moved.
    size_t read(void* data, size_t maxBytes);

private:
    std::string pending_; // bytes of the last server fragment not yet taken
};

} // namespace platform::audio
