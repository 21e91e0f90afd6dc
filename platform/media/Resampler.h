// Converts sound between sample layouts, rates and channel counts into interleaved signed
// 16-bit PCM: the decoded sound samples of a source reader, or interleaved 16-bit PCM itself.
#pragma once

#include "platform/media/Sample.h"

#include <cstdint>
#include <vector>

struct SwrContext;

namespace platform::media {

struct AudioFormat {
    int sampleRate = 44100;
    int channels = 2;
    bool operator==(const AudioFormat&) const = default;
};

class Resampler {
public:
    // Converts into `output`. Throws MediaError for a rate or channel count the library
    // cannot take.
    explicit Resampler(const AudioFormat& output);
    ~Resampler();
    Resampler(const Resampler&) = delete;
    Resampler& operator=(const Resampler&) = delete;

    const AudioFormat& output() const { return output_; }

    // Each conversion appends its frames to `out` and returns how many it appended. The
    // filter holds back a few frames of the input until more comes or `flush`.

    // A decoded sound sample of a source reader, whatever its sample layout; the input format
    // may change from sample to sample. Throws MediaError for a sample that is not sound.
    int64_t convert(const Sample& sample, std::vector<int16_t>& out);
    // `frames` frames of interleaved 16-bit PCM in `input`.
    int64_t convert(const int16_t* pcm, int64_t frames, const AudioFormat& input,
                    std::vector<int16_t>& out);
    // The end of the stream: hands out what the filter still holds.
    int64_t flush(std::vector<int16_t>& out);
    // Forgets everything held (after a seek).
    void reset();

private:
    struct Input {
        int format = -1;
        int sampleRate = 0;
        int channels = 0;
        bool operator==(const Input&) const = default;
    };
    void configure(const Input& input);
    int64_t run(const uint8_t** planes, int64_t frames, std::vector<int16_t>& out);

    AudioFormat output_;
    Input input_;
    SwrContext* context_ = nullptr;
};

} // namespace platform::media
