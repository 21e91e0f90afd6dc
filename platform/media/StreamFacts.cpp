#include "platform/media/StreamFacts.h"

#include "platform/media/CodecEncoder.h"
#include "platform/media/MediaPlatform.h"

#include <algorithm>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

namespace platform::media {

namespace {

constexpr AVRational Ticks{1, int(TicksPerSecond)};

std::optional<ColourEncoding> colourOf(const AVCodecParameters* par) {
    ColourEncoding colour;
    if (par->color_space == AVCOL_SPC_BT709)
        colour.matrix = ColourMatrix::Bt709;
    else if (par->color_space == AVCOL_SPC_SMPTE170M || par->color_space == AVCOL_SPC_BT470BG)
        colour.matrix = ColourMatrix::Bt601;
    else
        return std::nullopt;
    if (par->color_range == AVCOL_RANGE_UNSPECIFIED)
        return std::nullopt;
    colour.range = par->color_range == AVCOL_RANGE_JPEG ? ColourRange::Full : ColourRange::Limited;
    return colour;
}

StreamFacts factsOf(const AVStream* stream) {
    const AVCodecParameters* par = stream->codecpar;
    StreamFacts facts;
    facts.kind = par->codec_type == AVMEDIA_TYPE_VIDEO   ? MediaKind::Video
                 : par->codec_type == AVMEDIA_TYPE_AUDIO ? MediaKind::Audio
                                                         : MediaKind::Other;
    facts.codec = avcodec_get_name(par->codec_id);
    facts.width = par->width;
    facts.height = par->height;
    facts.sampleRate = par->sample_rate;
    facts.channels = par->ch_layout.nb_channels;
    if (facts.kind == MediaKind::Video)
        facts.colour = colourOf(par);
    return facts;
}

struct InputCloser {
    void operator()(AVFormatContext* format) const { avformat_close_input(&format); }
};

} // namespace

std::vector<StreamFacts> inspectStreams(const std::string& path) {
    initialiseLibraries();
    AVFormatContext* raw = nullptr;
    if (const int code = avformat_open_input(&raw, path.c_str(), nullptr, nullptr); code < 0)
        throw MediaError("cannot open \"" + path + "\": " + detail::describeError(code));
    std::unique_ptr<AVFormatContext, InputCloser> format(raw);
    if (const int code = avformat_find_stream_info(raw, nullptr); code < 0)
        throw MediaError("cannot read \"" + path + "\": " + detail::describeError(code));

    std::vector<StreamFacts> facts;
    for (unsigned i = 0; i < raw->nb_streams; ++i)
        facts.push_back(factsOf(raw->streams[i]));
    AVPacket* packet = av_packet_alloc();
    while (packet && av_read_frame(raw, packet) >= 0) {
        const AVStream* stream = raw->streams[packet->stream_index];
        const int64_t pts = packet->pts != AV_NOPTS_VALUE ? packet->pts : packet->dts;
        if (pts != AV_NOPTS_VALUE) {
            StreamFacts& f = facts[size_t(packet->stream_index)];
            const int64_t time = av_rescale_q(pts, stream->time_base, Ticks);
            f.times.push_back(time);
            f.endTime =
                std::max(f.endTime, av_rescale_q(pts + packet->duration, stream->time_base, Ticks));
        }
        av_packet_unref(packet);
    }
    av_packet_free(&packet);
    for (StreamFacts& f : facts)
        std::sort(f.times.begin(), f.times.end());
    return facts;
}

} // namespace platform::media
