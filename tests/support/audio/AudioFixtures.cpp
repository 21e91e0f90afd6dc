#include "tests/support/audio/AudioFixtures.h"

#include <cmath>
#include <numbers>
#include <stdexcept>
#include <string>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
}

namespace fixtures {

namespace {

void check(bool ok, const std::string& what) {
    if (!ok)
        throw std::runtime_error("Test sound: " + what);
}

struct Track {
    AVCodecContext* codec = nullptr;
    AVStream* stream = nullptr;
    AVFrame* frame = av_frame_alloc();
    int64_t next = 0; // in the codec's time base
    ~Track() {
        av_frame_free(&frame);
        avcodec_free_context(&codec);
    }
};

struct Writer {
    AVFormatContext* format = nullptr;
    AVPacket* packet = av_packet_alloc();
    ~Writer() {
        av_packet_free(&packet);
        if (format && !(format->oformat->flags & AVFMT_NOFILE))
            avio_closep(&format->pb);
        avformat_free_context(format);
    }

    void send(Track& track, const AVFrame* frame) {
        check(avcodec_send_frame(track.codec, frame) >= 0, "encoder refused a frame");
        while (avcodec_receive_packet(track.codec, packet) == 0) {
            av_packet_rescale_ts(packet, track.codec->time_base, track.stream->time_base);
            packet->stream_index = track.stream->index;
            check(av_interleaved_write_frame(format, packet) >= 0, "muxer refused a packet");
        }
    }

    void open(Track& track, const AVCodec* codec) {
        if (format->oformat->flags & AVFMT_GLOBALHEADER)
            track.codec->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
        check(avcodec_open2(track.codec, codec, nullptr) >= 0, "cannot open the encoder");
        track.stream = avformat_new_stream(format, nullptr);
        check(track.stream != nullptr, "cannot add a stream");
        avcodec_parameters_from_context(track.stream->codecpar, track.codec);
        track.stream->time_base = track.codec->time_base;
    }
};

AVSampleFormat pickFormat(const AVCodec* codec) {
    const AVSampleFormat* formats = codec->sample_fmts;
    if (!formats)
        return AV_SAMPLE_FMT_S16;
    for (const AVSampleFormat* f = formats; *f != AV_SAMPLE_FMT_NONE; ++f)
        if (*f == AV_SAMPLE_FMT_S16 || *f == AV_SAMPLE_FMT_S16P || *f == AV_SAMPLE_FMT_FLT ||
            *f == AV_SAMPLE_FMT_FLTP)
            return *f;
    throw std::runtime_error("Test sound: no usable sample format");
}

void fillTone(AVFrame* frame, const ToneSpec& spec, int64_t first) {
    const auto format = AVSampleFormat(frame->format);
    const bool planar = av_sample_fmt_is_planar(format);
    for (int i = 0; i < frame->nb_samples; ++i) {
        const double v = spec.level * std::sin(2 * std::numbers::pi * spec.hz * double(first + i) /
                                               spec.sampleRate);
        for (int c = 0; c < spec.channels; ++c) {
            const int plane = planar ? c : 0;
            const int index = planar ? i : i * spec.channels + c;
            if (format == AV_SAMPLE_FMT_S16 || format == AV_SAMPLE_FMT_S16P)
                reinterpret_cast<int16_t*>(frame->data[plane])[index] =
                    int16_t(std::lround(v * 32767));
            else
                reinterpret_cast<float*>(frame->data[plane])[index] = float(v);
        }
    }
}

void addVideo(Writer& writer, Track& video) {
    const AVCodec* codec = avcodec_find_encoder_by_name("mpeg4");
    check(codec != nullptr, "no mpeg4 encoder");
    video.codec = avcodec_alloc_context3(codec);
    video.codec->width = 64;
    video.codec->height = 48;
    video.codec->pix_fmt = AV_PIX_FMT_YUV420P;
    video.codec->time_base = {1, 10};
    video.codec->framerate = {10, 1};
    writer.open(video, codec);
    video.frame->format = AV_PIX_FMT_YUV420P;
    video.frame->width = 64;
    video.frame->height = 48;
    check(av_frame_get_buffer(video.frame, 0) >= 0, "no picture buffer");
}

void writeVideoFrame(Writer& writer, Track& video) {
    check(av_frame_make_writable(video.frame) >= 0, "picture not writable");
    for (int p = 0; p < 3; ++p)
        for (int y = 0; y < (p ? 24 : 48); ++y)
            std::fill_n(video.frame->data[p] + y * video.frame->linesize[p], p ? 32 : 64,
                        uint8_t(p ? 128 : 16 + video.next));
    video.frame->pts = video.next++;
    writer.send(video, video.frame);
}

} // namespace

bool hasEncoder(const char* name) {
    return avcodec_find_encoder_by_name(name) != nullptr;
}

void writeTone(const QString& path, const ToneSpec& spec) {
    Writer writer;
    const std::string file = path.toStdString();
    check(avformat_alloc_output_context2(&writer.format, nullptr, spec.muxer, file.c_str()) >= 0,
          std::string("no muxer ") + spec.muxer);
    Track video, audio;
    if (spec.withVideo)
        addVideo(writer, video);
    const AVCodec* codec = avcodec_find_encoder_by_name(spec.encoder);
    check(codec != nullptr, std::string("no encoder ") + spec.encoder);
    audio.codec = avcodec_alloc_context3(codec);
    audio.codec->sample_rate = spec.sampleRate;
    audio.codec->sample_fmt = pickFormat(codec);
    av_channel_layout_default(&audio.codec->ch_layout, spec.channels);
    audio.codec->time_base = {1, spec.sampleRate};
    audio.codec->bit_rate = 128000;
    audio.codec->strict_std_compliance = FF_COMPLIANCE_EXPERIMENTAL;
    writer.open(audio, codec);
    check(avio_open(&writer.format->pb, file.c_str(), AVIO_FLAG_WRITE) >= 0, "cannot create file");
    check(avformat_write_header(writer.format, nullptr) >= 0, "cannot write the header");

    const int frameSize = audio.codec->frame_size > 0 ? audio.codec->frame_size : 1024;
    const auto total = int64_t(std::llround(spec.seconds * spec.sampleRate));
    while (audio.next < total) {
        if (spec.withVideo && video.next * spec.sampleRate / 10 <= audio.next)
            writeVideoFrame(writer, video);
        AVFrame* frame = audio.frame;
        av_frame_unref(frame);
        frame->format = audio.codec->sample_fmt;
        frame->sample_rate = spec.sampleRate;
        av_channel_layout_copy(&frame->ch_layout, &audio.codec->ch_layout);
        frame->nb_samples = int(std::min<int64_t>(frameSize, total - audio.next));
        if (audio.codec->frame_size > 0 &&
            !(codec->capabilities & AV_CODEC_CAP_VARIABLE_FRAME_SIZE))
            frame->nb_samples = frameSize; // the last frame is padded with more tone
        check(av_frame_get_buffer(frame, 0) >= 0, "no sound buffer");
        fillTone(frame, spec, audio.next);
        frame->pts = audio.next;
        audio.next += frame->nb_samples;
        writer.send(audio, frame);
    }
    writer.send(audio, nullptr);
    if (spec.withVideo)
        writer.send(video, nullptr);
    check(av_write_trailer(writer.format) >= 0, "cannot finish the file");
}

} // namespace fixtures
