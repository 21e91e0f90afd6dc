// One decoded sample of a source reader: a picture (or, later, a block of sound) with its time.
#pragma once

#include "platform/media/MediaType.h"

#include <cstdint>

struct AVFrame;

namespace platform::media {

class Sample {
public:
    Sample() = default;
    ~Sample();
    Sample(Sample&& other) noexcept;
    Sample& operator=(Sample&& other) noexcept;
    Sample(const Sample&) = delete;
    Sample& operator=(const Sample&) = delete;

    bool isEmpty() const { return frame_ == nullptr; }
    MediaKind kind() const { return kind_; }
    int stream() const { return stream_; }
    // Presentation time and duration in 100 ns, as the container states them.
    int64_t time() const { return time_; }
    int64_t duration() const { return duration_; }
    bool isKeyFrame() const;
    int width() const;
    int height() const;

private:
    friend class SourceReader;
    friend class VideoConverter;
    friend class Resampler;

    AVFrame* frame_ = nullptr; // owned; the decoder's picture in its own layout
    MediaKind kind_ = MediaKind::Unknown;
    int stream_ = -1;
    int64_t time_ = 0;
    int64_t duration_ = 0;
};

} // namespace platform::media
