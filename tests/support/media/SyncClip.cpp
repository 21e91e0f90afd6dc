#include "tests/support/media/SyncClip.h"

#include <cmath>
#include <cstring>
#include <functional>
#include <numbers>
#include <stdexcept>
#include <string>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/opt.h>
}

namespace fixtures {

namespace {

constexpr int SoundRate = 48000;

void check(bool ok, const std::string& what) {
    if (!ok)
        throw std::runtime_error("Sync clip: " + what);
}

struct Track {
    AVCodecContext* codec = nullptr;
    AVStream* stream = nullptr;
};

struct Writer {
    AVFormatContext* format = nullptr;
    AVPacket* packet = av_packet_alloc();
    Track video, sound;

    ~Writer() {
        av_packet_free(&packet);
        avcodec_free_context(&video.codec);
        avcodec_free_context(&sound.codec);
        if (format)
            avio_closep(&format->pb);
        avformat_free_context(format);
    }

    void open(Track& track, const char* name,
              const std::function<void(AVCodecContext*)>& configure) {
        const AVCodec* codec = avcodec_find_encoder_by_name(name);
        check(codec != nullptr, std::string("no encoder ") + name);
        track.stream = avformat_new_stream(format, nullptr);
        track.codec = avcodec_alloc_context3(codec);
        configure(track.codec);
        track.codec->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
        check(avcodec_open2(track.codec, codec, nullptr) >= 0, std::string("cannot open ") + name);
        avcodec_parameters_from_context(track.stream->codecpar, track.codec);
        track.stream->time_base = track.codec->time_base;
    }

    void send(Track& track, const AVFrame* frame) {
        check(avcodec_send_frame(track.codec, frame) >= 0, "encoder refused a frame");
        while (avcodec_receive_packet(track.codec, packet) == 0) {
            av_packet_rescale_ts(packet, track.codec->time_base, track.stream->time_base);
            packet->stream_index = track.stream->index;
            check(av_interleaved_write_frame(format, packet) >= 0, "muxer refused a packet");
        }
    }
};

AVFrame* newFrame() {
    AVFrame* frame = av_frame_alloc();
    check(frame != nullptr, "no frame");
    return frame;
}

void writePictures(Writer& out, const SyncClipSpec& spec) {
    AVCodecContext* codec = out.video.codec;
    AVFrame* frame = newFrame();
    frame->format = codec->pix_fmt;
    frame->width = codec->width;
    frame->height = codec->height;
    check(av_frame_get_buffer(frame, 0) >= 0, "no picture buffer");
    const int frames = spec.durationMs * spec.frameRate / 1000;
    const int flash = spec.flashMs * spec.frameRate / 1000;
    for (int i = 0; i < frames; ++i) {
        check(av_frame_make_writable(frame) >= 0, "picture not writable");
        for (int y = 0; y < frame->height; ++y)
            std::memset(frame->data[0] + y * frame->linesize[0], i == flash ? 235 : 16,
                        size_t(frame->width));
        for (int plane = 1; plane < 3; ++plane)
            for (int y = 0; y < frame->height / 2; ++y)
                std::memset(frame->data[plane] + y * frame->linesize[plane], 128,
                            size_t(frame->width / 2));
        frame->pts = i;
        out.send(out.video, frame);
    }
    av_frame_free(&frame);
    out.send(out.video, nullptr);
}

void writeSound(Writer& out, const SyncClipSpec& spec) {
    AVCodecContext* codec = out.sound.codec;
    AVFrame* frame = newFrame();
    frame->format = codec->sample_fmt;
    frame->nb_samples = codec->frame_size;
    check(av_channel_layout_copy(&frame->ch_layout, &codec->ch_layout) >= 0, "no layout");
    frame->sample_rate = SoundRate;
    check(av_frame_get_buffer(frame, 0) >= 0, "no sound buffer");
    const int64_t total = int64_t(spec.durationMs) * SoundRate / 1000;
    const int64_t beepFrom = int64_t(spec.flashMs) * SoundRate / 1000;
    const int64_t beepTo = beepFrom + int64_t(spec.beepMs) * SoundRate / 1000;
    for (int64_t at = 0; at < total; at += codec->frame_size) {
        check(av_frame_make_writable(frame) >= 0, "sound not writable");
        auto* samples = reinterpret_cast<float*>(frame->data[0]);
        for (int i = 0; i < codec->frame_size; ++i) {
            const int64_t n = at + i;
            samples[i] = n >= beepFrom && n < beepTo
                             ? 0.5f * float(std::sin(2 * std::numbers::pi * 1000.0 *
                                                     double(n - beepFrom) / SoundRate))
                             : 0.0f;
        }
        frame->pts = at;
        out.send(out.sound, frame);
    }
    av_frame_free(&frame);
    out.send(out.sound, nullptr);
}

} // namespace

void writeSyncClip(const QString& path, const SyncClipSpec& spec) {
    av_log_set_level(AV_LOG_FATAL);
    Writer out;
    const std::string file = path.toStdString();
    check(avformat_alloc_output_context2(&out.format, nullptr, "mp4", file.c_str()) >= 0,
          "no mp4 muxer");
    out.open(out.video, "libx264", [&spec](AVCodecContext* codec) {
        codec->width = 64;
        codec->height = 48;
        codec->time_base = AVRational{1, spec.frameRate};
        codec->framerate = AVRational{spec.frameRate, 1};
        codec->gop_size = spec.frameRate;
        codec->max_b_frames = spec.bFrames;
        codec->pix_fmt = AV_PIX_FMT_YUV420P;
        codec->thread_count = 1;
        av_opt_set(codec->priv_data, "preset", "veryfast", 0);
    });
    out.open(out.sound, "aac", [](AVCodecContext* codec) {
        codec->sample_rate = SoundRate;
        codec->time_base = AVRational{1, SoundRate};
        codec->sample_fmt = AV_SAMPLE_FMT_FLTP;
        codec->ch_layout = AV_CHANNEL_LAYOUT_MONO;
        codec->bit_rate = 96000;
    });
    out.video.stream->avg_frame_rate = AVRational{spec.frameRate, 1};
    check(avio_open(&out.format->pb, file.c_str(), AVIO_FLAG_WRITE) >= 0, "cannot write " + file);
    check(avformat_write_header(out.format, nullptr) >= 0, "cannot write the header");
    writePictures(out, spec);
    writeSound(out, spec);
    check(av_write_trailer(out.format) >= 0, "cannot finish the file");
}

} // namespace fixtures
