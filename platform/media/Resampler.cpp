#include "platform/media/Resampler.h"

#include "platform/media/MediaType.h"

#include <algorithm>
#include <vector>

extern "C" {
#include <libavutil/channel_layout.h>
#include <libavutil/frame.h>
#include <libavutil/opt.h>
#include <libswresample/swresample.h>
}

namespace platform::media {

namespace {

// Taps on each side of the interpolation filter: clean conversion at a moderate cost.
constexpr int FilterSize = 60;
constexpr int MaxChannels = 64;

bool isValid(const AudioFormat& format) {
    return format.sampleRate > 0 && format.channels > 0 && format.channels <= MaxChannels;
}

} // namespace

Resampler::Resampler(const AudioFormat& output) : output_(output) {
    if (!isValid(output))
        throw MediaError("Unsupported sound format");
}

Resampler::~Resampler() {
    swr_free(&context_);
}

void Resampler::configure(const Input& input) {
    if (context_ && input == input_)
        return;
    swr_free(&context_);
    input_ = Input();
    if (input.sampleRate <= 0 || input.channels <= 0 || input.channels > MaxChannels)
        throw MediaError("Unsupported sound format");
    AVChannelLayout in{}, out{};
    av_channel_layout_default(&in, input.channels);
    av_channel_layout_default(&out, output_.channels);
    int result = swr_alloc_set_opts2(&context_, &out, AV_SAMPLE_FMT_S16, output_.sampleRate, &in,
                                     AVSampleFormat(input.format), input.sampleRate, 0, nullptr);
    if (result >= 0)
        result = av_opt_set_int(context_, "filter_size", FilterSize, 0);
    // One channel plays at full level on every output channel, not 3 dB down as a centre.
    if (result >= 0 && input.channels == 1) {
        const std::vector<double> matrix(size_t(output_.channels), 1.0);
        result = swr_set_matrix(context_, matrix.data(), 1);
    }
    if (result >= 0)
        result = swr_init(context_);
    av_channel_layout_uninit(&in);
    av_channel_layout_uninit(&out);
    if (result < 0) {
        swr_free(&context_);
        throw MediaError("The sound cannot be converted");
    }
    input_ = input;
}

int64_t Resampler::run(const uint8_t** planes, int64_t frames, std::vector<int16_t>& out) {
    if (!context_)
        return 0;
    const int room = swr_get_out_samples(context_, int(frames));
    if (room <= 0)
        return 0;
    const size_t before = out.size();
    out.resize(before + size_t(room) * size_t(output_.channels));
    auto* target = reinterpret_cast<uint8_t*>(out.data() + before);
    const int made = swr_convert(context_, &target, room, planes, int(frames));
    out.resize(before + size_t(std::max(made, 0)) * size_t(output_.channels));
    return std::max(made, 0);
}

int64_t Resampler::convert(const Sample& sample, std::vector<int16_t>& out) {
    const AVFrame* frame = sample.frame_;
    if (!frame || sample.kind() != MediaKind::Audio)
        throw MediaError("The sample holds no sound");
    configure({frame->format, frame->sample_rate, frame->ch_layout.nb_channels});
    return run(const_cast<const uint8_t**>(frame->extended_data), frame->nb_samples, out);
}

int64_t Resampler::convert(const int16_t* pcm, int64_t frames, const AudioFormat& input,
                           std::vector<int16_t>& out) {
    if (frames <= 0 || !pcm)
        return 0;
    configure({AV_SAMPLE_FMT_S16, input.sampleRate, input.channels});
    const auto* plane = reinterpret_cast<const uint8_t*>(pcm);
    return run(&plane, frames, out);
}

int64_t Resampler::flush(std::vector<int16_t>& out) {
    int64_t total = 0;
    for (;;) {
        const int64_t made = run(nullptr, 0, out);
        if (made <= 0)
            return total;
        total += made;
    }
}

void Resampler::reset() {
    swr_free(&context_);
    input_ = Input();
}

} // namespace platform::media
