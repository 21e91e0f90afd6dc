// Encodes pictures one by one into compressed frames handed back to the caller, for files the
// program lays out itself (the frames of a WebP animation).
#pragma once

#include "platform/media/EncoderSettings.h"
#include "platform/media/VideoConverter.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace platform::media {

class VideoEncoder {
public:
    // Opens the encoder. Throws MediaError when it is absent or refuses the settings.
    explicit VideoEncoder(const VideoEncoderSettings& settings);
    ~VideoEncoder();
    VideoEncoder(const VideoEncoder&) = delete;
    VideoEncoder& operator=(const VideoEncoder&) = delete;

    const VideoEncoderSettings& settings() const;

    // Encodes a picture of the encoder's size for frame slot `slot` (slots must rise) and returns
    // the compressed frames the encoder gave back for it: none while an encoder that looks ahead
    // holds pictures back, one for an encoder that does not. Throws MediaError.
    std::vector<std::vector<uint8_t>> encode(const PictureView& picture, int64_t slot);
    // The frames the encoder still held; the encoder takes no picture afterwards.
    std::vector<std::vector<uint8_t>> drain();

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

} // namespace platform::media
