#include "platform/media/SourceReader.h"

#include "platform/media/MediaPlatform.h"

#include <algorithm>
#include <deque>
#include <optional>
#include <thread>
#include <vector>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/dict.h>
#include <libavutil/version.h>
#include <libswscale/swscale.h>
}

namespace platform::media {

namespace {

constexpr AVRational Ticks{1, int(TicksPerSecond)};
// Packets a decoder may refuse in a row before the stream counts as broken.
constexpr int MaxRejectedPackets = 256;
// Seeks retried from an earlier key frame before falling back to the start of the file.
constexpr int MaxSeekAttempts = 8;

std::string describeError(int code) {
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, text, sizeof text);
    return text;
}

VideoCodec videoCodecOf(AVCodecID id) {
    switch (id) {
    case AV_CODEC_ID_H264:
        return VideoCodec::H264;
    case AV_CODEC_ID_HEVC:
        return VideoCodec::Hevc;
    case AV_CODEC_ID_VP8:
        return VideoCodec::Vp8;
    case AV_CODEC_ID_VP9:
        return VideoCodec::Vp9;
    case AV_CODEC_ID_AV1:
        return VideoCodec::Av1;
    case AV_CODEC_ID_WMV1:
    case AV_CODEC_ID_WMV2:
    case AV_CODEC_ID_WMV3:
        return VideoCodec::Wmv;
    case AV_CODEC_ID_VC1:
        return VideoCodec::Vc1;
    case AV_CODEC_ID_MPEG4:
        return VideoCodec::Mpeg4;
    case AV_CODEC_ID_RAWVIDEO:
        return VideoCodec::RawVideo;
    case AV_CODEC_ID_GIF:
        return VideoCodec::Gif;
    default:
        return VideoCodec::Other;
    }
}

MediaKind kindOf(const AVStream* stream) {
    switch (stream->codecpar->codec_type) {
    case AVMEDIA_TYPE_VIDEO:
        // A cover picture is not a video stream of the file.
        return (stream->disposition & AV_DISPOSITION_ATTACHED_PIC) ? MediaKind::Other
                                                                   : MediaKind::Video;
    case AVMEDIA_TYPE_AUDIO:
        return MediaKind::Audio;
    default:
        return MediaKind::Other;
    }
}

Rational frameRateOf(const AVStream* stream) {
    AVRational rate = stream->avg_frame_rate;
    if (rate.num <= 0 || rate.den <= 0)
        rate = stream->r_frame_rate;
    if (rate.num <= 0 || rate.den <= 0)
        return {0, 1};
    return {rate.num, rate.den};
}

// The duration the container stored for a decoded frame's packet, 0 when none.
int64_t frameDuration(const AVFrame* frame) {
#if LIBAVUTIL_VERSION_INT >= AV_VERSION_INT(57, 36, 100)
    return frame->duration;
#else
    return frame->pkt_duration;
#endif
}

struct StreamState {
    AVCodecContext* codec = nullptr;
    bool selected = false;
    bool draining = false;
    std::deque<AVPacket*> queue; // packets read ahead while another stream was asked for
    int64_t nextTime = 0;        // end of the last sample, for samples without a time

    void clearQueue() {
        for (AVPacket* packet : queue)
            av_packet_free(&packet);
        queue.clear();
    }
};

} // namespace

struct SourceReader::Impl {
    AVFormatContext* format = nullptr;
    std::vector<StreamState> streams;
    bool demuxerEnded = false;

    ~Impl() {
        for (StreamState& state : streams) {
            state.clearQueue();
            avcodec_free_context(&state.codec);
        }
        avformat_close_input(&format);
    }

    void openDecoder(int index) {
        StreamState& state = streams[size_t(index)];
        if (state.codec)
            return;
        const AVStream* stream = format->streams[index];
        const AVCodec* decoder = avcodec_find_decoder(stream->codecpar->codec_id);
        if (!decoder)
            throw MediaError("No decoder for the stream's codec \"" +
                             std::string(avcodec_get_name(stream->codecpar->codec_id)) + "\"");
        AVCodecContext* codec = avcodec_alloc_context3(decoder);
        if (!codec)
            throw MediaError("Out of memory for a decoder");
        avcodec_parameters_to_context(codec, stream->codecpar);
        codec->pkt_timebase = stream->time_base;
        codec->thread_count = int(std::clamp(std::thread::hardware_concurrency(), 1u, 16u));
        codec->thread_type = FF_THREAD_FRAME | FF_THREAD_SLICE;
        const int result = avcodec_open2(codec, decoder, nullptr);
        if (result < 0) {
            avcodec_free_context(&codec);
            throw MediaError("The decoder cannot be opened: " + describeError(result));
        }
        state.codec = codec;
    }

    // The next packet of stream `index`: read ahead ones first, then from the file. Packets of
    // other selected streams are kept for them; null at the end of the file.
    AVPacket* nextPacket(int index) {
        StreamState& state = streams[size_t(index)];
        if (!state.queue.empty()) {
            AVPacket* packet = state.queue.front();
            state.queue.pop_front();
            return packet;
        }
        while (!demuxerEnded) {
            AVPacket* packet = av_packet_alloc();
            if (!packet)
                return nullptr;
            if (av_read_frame(format, packet) < 0) {
                // A damaged or truncated file ends where it stops being readable.
                av_packet_free(&packet);
                demuxerEnded = true;
                break;
            }
            if (packet->stream_index == index)
                return packet;
            if (packet->stream_index >= 0 && size_t(packet->stream_index) < streams.size() &&
                streams[size_t(packet->stream_index)].selected)
                streams[size_t(packet->stream_index)].queue.push_back(packet);
            else
                av_packet_free(&packet);
        }
        return nullptr;
    }

    // Moves the demuxer to the key frame at or before `target` (the stream's units; INT64_MIN
    // for the start) and forgets everything read or decoded before.
    bool seekTo(int index, int64_t target) {
        int result = target == INT64_MIN
                         ? avformat_seek_file(format, index, INT64_MIN, INT64_MIN, INT64_MAX, 0)
                         : av_seek_frame(format, index, target, AVSEEK_FLAG_BACKWARD);
        if (result < 0 && target != INT64_MIN)
            result = avformat_seek_file(format, index, INT64_MIN, target, target, 0);
        if (result < 0)
            return false;
        demuxerEnded = false;
        for (StreamState& state : streams) {
            state.clearQueue();
            state.draining = false;
            if (state.codec)
                avcodec_flush_buffers(state.codec);
        }
        return true;
    }

    // Presentation and decoding time of the next packet of stream `index`, which stays queued.
    std::optional<std::pair<int64_t, int64_t>> peekTimes(int index) {
        AVPacket* packet = nextPacket(index);
        if (!packet)
            return std::nullopt;
        streams[size_t(index)].queue.push_front(packet);
        const int64_t decoded = packet->dts == AV_NOPTS_VALUE ? INT64_MIN : packet->dts;
        if (packet->pts == AV_NOPTS_VALUE)
            return std::nullopt;
        return std::pair{packet->pts, decoded};
    }

    Sample makeSample(int index, AVFrame* frame) {
        const AVStream* stream = format->streams[index];
        StreamState& state = streams[size_t(index)];
        Sample sample;
        sample.frame_ = frame;
        sample.kind_ = kindOf(stream);
        sample.stream_ = index;
        int64_t pts = frame->best_effort_timestamp;
        if (pts == AV_NOPTS_VALUE)
            pts = frame->pts;
        sample.time_ =
            pts == AV_NOPTS_VALUE ? state.nextTime : av_rescale_q(pts, stream->time_base, Ticks);
        // A picture's duration only when the container stores one: a span made up from the
        // nominal rate would be wrong for every variable-rate file.
        const int64_t stored = frameDuration(frame);
        sample.duration_ = stored > 0 ? av_rescale_q(stored, stream->time_base, Ticks) : 0;
        if (sample.kind_ == MediaKind::Audio && frame->sample_rate > 0)
            sample.duration_ = TicksPerSecond * frame->nb_samples / frame->sample_rate;
        // A following sample without a time is guessed one nominal frame later.
        const Rational rate = frameRateOf(stream);
        const int64_t nominal = sample.kind_ == MediaKind::Video && rate.isValid()
                                    ? TicksPerSecond * rate.den / rate.num
                                    : 0;
        state.nextTime = sample.time_ + (sample.duration_ > 0 ? sample.duration_ : nominal);
        return sample;
    }
};

SourceReader::SourceReader(const std::string& path, const OpenOptions& options)
    : impl_(std::make_unique<Impl>()) {
    initialiseLibraries();
    AVDictionary* settings = nullptr;
    if (options.ignoreEditList)
        av_dict_set(&settings, "ignore_editlist", "1", 0);
    const int opened = avformat_open_input(&impl_->format, path.c_str(), nullptr, &settings);
    av_dict_free(&settings);
    if (opened < 0)
        throw MediaError("Cannot open \"" + path + "\": " + describeError(opened));
    const int probed = avformat_find_stream_info(impl_->format, nullptr);
    if (probed < 0)
        throw MediaError("Cannot read the streams of \"" + path + "\": " + describeError(probed));
    impl_->streams.resize(impl_->format->nb_streams);
}

SourceReader::~SourceReader() = default;

int SourceReader::streamCount() const {
    return int(impl_->streams.size());
}

int SourceReader::streamIndex(int selector) const {
    if (selector >= 0)
        return selector < streamCount() ? selector : -1;
    if (selector != FirstVideoStream && selector != FirstAudioStream)
        return -1;
    const MediaKind wanted = selector == FirstVideoStream ? MediaKind::Video : MediaKind::Audio;
    for (int i = 0; i < streamCount(); ++i)
        if (kindOf(impl_->format->streams[i]) == wanted)
            return i;
    return -1;
}

MediaType SourceReader::mediaType(int selector) const {
    const int index = streamIndex(selector);
    if (index < 0)
        throw MediaError("The file has no such stream");
    const AVStream* stream = impl_->format->streams[index];
    const AVCodecParameters* parameters = stream->codecpar;
    MediaType type;
    type.kind = kindOf(stream);
    type.codecName = avcodec_get_name(parameters->codec_id);
    type.bitRate = parameters->bit_rate;
    if (type.kind == MediaKind::Video) {
        type.videoCodec = videoCodecOf(parameters->codec_id);
        type.width = parameters->width;
        type.height = parameters->height;
        type.frameRate = frameRateOf(stream);
        const auto layout = AVPixelFormat(parameters->format);
        type.pictureConvertible = layout == AV_PIX_FMT_NONE || sws_isSupportedInput(layout) > 0;
    } else if (type.kind == MediaKind::Audio) {
        type.sampleRate = parameters->sample_rate;
        type.channels = parameters->ch_layout.nb_channels;
    }
    return type;
}

int64_t SourceReader::duration(int selector) const {
    const AVFormatContext* format = impl_->format;
    if (selector == MediaSource)
        return format->duration > 0 ? av_rescale_q(format->duration, AV_TIME_BASE_Q, Ticks) : 0;
    const int index = streamIndex(selector);
    if (index < 0)
        return 0;
    const AVStream* stream = format->streams[index];
    if (stream->duration == AV_NOPTS_VALUE || stream->duration <= 0)
        return 0;
    return av_rescale_q(stream->duration, stream->time_base, Ticks);
}

void SourceReader::setStreamSelection(int selector, bool selected) {
    const int index = streamIndex(selector);
    if (index < 0)
        throw MediaError("The file has no such stream");
    if (selected)
        impl_->openDecoder(index);
    StreamState& state = impl_->streams[size_t(index)];
    state.selected = selected;
    if (!selected)
        state.clearQueue();
}

bool SourceReader::seek(int64_t position) {
    int index = -1;
    for (int i = 0; i < streamCount() && index < 0; ++i)
        if (impl_->streams[size_t(i)].selected)
            index = i;
    if (index < 0)
        return false;
    // Rounded down: a seek must never land after the position asked for.
    const int64_t target =
        av_rescale_q_rnd(std::max<int64_t>(position, 0), Ticks,
                         impl_->format->streams[index]->time_base, AV_ROUND_DOWN);
    // Containers index their key frames by decoding time, which runs ahead of the presentation
    // time; a key frame found at or before the target may still show after it. Such a landing
    // is retried from before that key frame.
    int64_t seekTo = target;
    for (int attempt = 0; attempt < MaxSeekAttempts; ++attempt) {
        if (!impl_->seekTo(index, seekTo))
            return false;
        const std::optional<std::pair<int64_t, int64_t>> first = impl_->peekTimes(index);
        if (!first || first->first <= target)
            return true;
        if (first->second >= seekTo || first->second == INT64_MIN)
            break;
        seekTo = first->second - 1;
    }
    return impl_->seekTo(index, INT64_MIN);
}

SourceReader::ReadResult SourceReader::readSample(int selector) {
    ReadResult result;
    const int index = streamIndex(selector);
    if (index < 0 || !impl_->streams[size_t(index)].selected) {
        result.error = "The stream is not selected";
        return result;
    }
    StreamState& state = impl_->streams[size_t(index)];
    AVFrame* frame = av_frame_alloc();
    int rejected = 0;
    while (frame) {
        const int received = avcodec_receive_frame(state.codec, frame);
        if (received == 0) {
            result.status = ReadStatus::Sample;
            result.sample = impl_->makeSample(index, frame);
            return result;
        }
        if (received == AVERROR_EOF) {
            result.status = ReadStatus::EndOfStream;
            break;
        }
        if (received != AVERROR(EAGAIN)) {
            result.error = "Decoding failed: " + describeError(received);
            break;
        }
        AVPacket* packet = impl_->nextPacket(index);
        if (!packet && state.draining) {
            result.status = ReadStatus::EndOfStream;
            break;
        }
        state.draining = packet == nullptr;
        const int sent = avcodec_send_packet(state.codec, packet);
        av_packet_free(&packet);
        // A damaged packet is skipped; a stream that refuses everything is broken.
        if (sent < 0 && sent != AVERROR(EAGAIN) && sent != AVERROR_EOF &&
            ++rejected > MaxRejectedPackets) {
            result.error = "The stream cannot be decoded: " + describeError(sent);
            break;
        }
    }
    av_frame_free(&frame);
    return result;
}

} // namespace platform::media
