// The layer's own encoder machinery behind SinkWriter and VideoEncoder: an opened FFmpeg
// encoder, the conversion of the caller's pictures or sound into what it takes, and the
// packets it gives back. Not part of the layer's interface.
#pragma once

#include "platform/media/EncoderSettings.h"
#include "platform/media/VideoConverter.h"

#include <cstdint>
#include <functional>
#include <string>

struct AVAudioFifo;
struct AVBufferRef;
struct AVCodecContext;
struct AVFrame;
struct AVPacket;
struct SwrContext;
struct SwsContext;

namespace platform::media::detail {

// Receives each packet an encoder gives back; the packet is only valid during the call.
using PacketSink = std::function<void(AVPacket*)>;

std::string describeError(int code);

// Owns one opened encoder context and the packet the encoders receive into.
class CodecEncoderBase {
public:
    CodecEncoderBase(const CodecEncoderBase&) = delete;
    CodecEncoderBase& operator=(const CodecEncoderBase&) = delete;

    AVCodecContext* context() const { return ctx_; }
    int64_t received() const { return received_; }
    int64_t encoded() const { return encoded_; }

protected:
    // Finds the encoder by name and allocates its context; throws MediaError when it is absent.
    explicit CodecEncoderBase(const std::string& encoder);
    ~CodecEncoderBase();
    // Runs a derived constructor's `work`; when it throws, `undo` releases what it made before
    // the exception leaves (the derived destructor does not run then).
    static void constructOrRelease(const std::function<void()>& work,
                                   const std::function<void()>& undo);
    // Opens the context with `options` (FFmpeg names); throws MediaError when it refuses.
    void open(const EncoderOptions& options, bool globalHeader);
    // Hands `frame` to the encoder (nullptr to drain it) and every packet it gives to `sink`.
    void send(AVFrame* frame, const PacketSink& sink);

    AVCodecContext* ctx_ = nullptr;
    int64_t received_ = 0; // pictures or sound frames handed to the encoder
    int64_t encoded_ = 0;  // of those, how many came back in packets (pictures only)

private:
    std::string name_; // the encoder's name, for messages
    AVPacket* packet_ = nullptr;
};

// Converts the caller's pictures to the encoder's layout with the settings' colour encoding.
// Time stamps are in the encoder's time base, one unit per frame slot of the frame rate.
class VideoCodecEncoder : public CodecEncoderBase {
public:
    VideoCodecEncoder(const VideoEncoderSettings& settings, bool globalHeader);
    ~VideoCodecEncoder();

    const VideoEncoderSettings& settings() const { return settings_; }
    void encode(const PictureView& picture, int64_t pts, const PacketSink& sink);
    void flush(const PacketSink& sink);

private:
    // The constructor's work; a failure releases what it made before the exception leaves.
    void configure(bool globalHeader);
    void release();
    void setupHardware();
    void convert(const PictureView& picture);
    void padPicture(const PictureView& picture);

    VideoEncoderSettings settings_;
    AVFrame* frame_ = nullptr;   // the converted picture in memory, sides made even if need be
    AVFrame* source_ = nullptr;  // the caller's picture: viewed, or copied when frame_ is larger
    AVFrame* hwFrame_ = nullptr; // its copy on the device, hardware encoders only
    AVBufferRef* hwDevice_ = nullptr;
    SwsContext* sws_ = nullptr;
    PixelFormat swsInput_ = PixelFormat::Unknown;
};

// Takes interleaved 16-bit sound in any amounts and feeds the encoder whole frames of its own
// size; time stamps count sound frames from 0, so the sound never drifts.
class AudioCodecEncoder : public CodecEncoderBase {
public:
    AudioCodecEncoder(const AudioEncoderSettings& settings, bool globalHeader);
    ~AudioCodecEncoder();

    void write(const int16_t* samples, int frames, const PacketSink& sink);
    // Encodes what is left (padded with silence when the encoder takes only whole frames) and
    // drains the encoder.
    void flush(const PacketSink& sink);

private:
    void configure(bool globalHeader);
    void release();
    void encodeFrames(int frames, const PacketSink& sink);

    AudioEncoderSettings settings_;
    SwrContext* swr_ = nullptr;
    AVAudioFifo* fifo_ = nullptr;
    AVFrame* frame_ = nullptr;
    int frameSize_ = 0;
    int64_t nextPts_ = 0;
};

} // namespace platform::media::detail
