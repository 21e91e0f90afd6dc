#include "tests/support/media/MediaFixtures.h"

#include <QFile>
#include <algorithm>
#include <cstring>
#include <memory>
#include <stdexcept>
#include <string>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/opt.h>
#include <libswscale/swscale.h>
}
#include <gif_lib.h>
#include <webp/encode.h>
#include <webp/mux.h>

namespace fixtures {

namespace {

constexpr int Bits = 8;

void check(bool ok, const std::string& what) {
    if (!ok)
        throw std::runtime_error("Test media: " + what);
}

struct Encoder {
    AVFormatContext* format = nullptr;
    AVCodecContext* codec = nullptr;
    AVStream* stream = nullptr;
    AVPacket* packet = av_packet_alloc();

    ~Encoder() {
        av_packet_free(&packet);
        avcodec_free_context(&codec);
        if (format && !(format->oformat->flags & AVFMT_NOFILE))
            avio_closep(&format->pb);
        avformat_free_context(format);
    }

    bool storeDurations = true;

    void send(const AVFrame* frame) {
        check(avcodec_send_frame(codec, frame) >= 0, "encoder refused a frame");
        while (avcodec_receive_packet(codec, packet) == 0) {
            if (!storeDurations)
                packet->duration = 0;
            av_packet_rescale_ts(packet, codec->time_base, stream->time_base);
            packet->stream_index = stream->index;
            check(av_interleaved_write_frame(format, packet) >= 0, "muxer refused a packet");
        }
    }
};

void configure(AVCodecContext* codec, const std::string& name, const VideoSpec& spec) {
    const bool variable = !spec.timesMs.empty();
    codec->width = spec.width;
    codec->height = spec.height;
    codec->time_base = variable ? AVRational{1, 1000} : AVRational{spec.rateDen, spec.rateNum};
    codec->framerate = AVRational{spec.rateNum, spec.rateDen};
    codec->gop_size = spec.gop;
    codec->max_b_frames = spec.bFrames;
    codec->pix_fmt = name == "rawvideo" ? AV_PIX_FMT_BGR24 : AV_PIX_FMT_YUV420P;
    codec->bit_rate = 2'000'000;
    codec->thread_count = 1;
    if (name == "libx264") {
        av_opt_set(codec->priv_data, "preset", "veryfast", 0);
        av_opt_set(codec->priv_data, "crf", "18", 0);
    } else if (name == "libx265") {
        av_opt_set(codec->priv_data, "preset", "ultrafast", 0);
        av_opt_set(codec->priv_data, "x265-params", "log-level=none", 0);
    } else if (name == "libvpx" || name == "libvpx-vp9") {
        av_opt_set(codec->priv_data, "deadline", "realtime", 0);
        av_opt_set(codec->priv_data, "cpu-used", "8", 0);
        av_opt_set(codec->priv_data, "lag-in-frames", "0", 0);
    }
}

constexpr int SoundRate = 8000;

AVStream* addSilence(AVFormatContext* format) {
    AVStream* stream = avformat_new_stream(format, nullptr);
    stream->codecpar->codec_type = AVMEDIA_TYPE_AUDIO;
    stream->codecpar->codec_id = AV_CODEC_ID_PCM_S16LE;
    stream->codecpar->sample_rate = SoundRate;
    stream->codecpar->ch_layout = AV_CHANNEL_LAYOUT_MONO;
    stream->codecpar->bits_per_coded_sample = 16;
    stream->codecpar->block_align = 2;
    stream->time_base = AVRational{1, SoundRate};
    return stream;
}

// Packets of 100 ms of silence covering `durationMs`.
void writeSilence(AVFormatContext* format, AVStream* stream, int64_t durationMs) {
    const int samples = SoundRate / 10;
    for (int64_t at = 0; at * 1000 < durationMs * SoundRate; at += samples) {
        AVPacket* packet = av_packet_alloc();
        av_new_packet(packet, samples * 2);
        std::memset(packet->data, 0, size_t(samples) * 2);
        packet->stream_index = stream->index;
        packet->pts = packet->dts = av_rescale_q(at, AVRational{1, SoundRate}, stream->time_base);
        packet->duration = av_rescale_q(samples, AVRational{1, SoundRate}, stream->time_base);
        check(av_interleaved_write_frame(format, packet) >= 0, "muxer refused a sound packet");
        av_packet_free(&packet);
    }
}

} // namespace

void drawStamp(int number, uint8_t* bgra, int width, int height) {
    const int stampRows = height * 3 / 4;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            uint8_t* pixel = bgra + (int64_t(y) * width + x) * 4;
            const int bit = std::min(Bits - 1, x * Bits / width);
            const bool set = y < stampRows && ((number >> (Bits - 1 - bit)) & 1);
            const bool red = y >= stampRows;
            pixel[0] = set ? 255 : 0;
            pixel[1] = set ? 255 : 0;
            pixel[2] = set || red ? 255 : 0;
            pixel[3] = 255;
        }
}

int readStamp(const uint8_t* bgra, int width, int height, int pitch) {
    if (pitch == 0)
        pitch = width * 4;
    const auto at = [&](int x, int y) { return bgra + int64_t(y) * pitch + x * 4; };
    const uint8_t* band = at(width / 2, height * 7 / 8);
    if (band[2] < 160 || band[0] > 100 || band[1] > 100)
        return -1;
    int number = 0;
    for (int bit = 0; bit < Bits; ++bit) {
        const uint8_t* pixel = at(bit * width / Bits + width / (2 * Bits), height * 3 / 8);
        const int level = (pixel[0] + pixel[1] + pixel[2]) / 3;
        number = number * 2 + (level > 128 ? 1 : 0);
    }
    return number;
}

void writeVideo(const QString& path, const VideoSpec& spec) {
    av_log_set_level(AV_LOG_FATAL);
    Encoder out;
    const std::string file = path.toStdString();
    check(avformat_alloc_output_context2(&out.format, nullptr, spec.muxer, file.c_str()) >= 0,
          std::string("no muxer ") + spec.muxer);
    const AVCodec* codec = avcodec_find_encoder_by_name(spec.encoder);
    check(codec != nullptr, std::string("no encoder ") + spec.encoder);
    AVStream* sound = spec.soundFirst ? addSilence(out.format) : nullptr;
    out.stream = avformat_new_stream(out.format, nullptr);
    out.codec = avcodec_alloc_context3(codec);
    configure(out.codec, spec.encoder, spec);
    if (out.format->oformat->flags & AVFMT_GLOBALHEADER)
        out.codec->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    check(avcodec_open2(out.codec, codec, nullptr) >= 0, "cannot open the encoder");
    avcodec_parameters_from_context(out.stream->codecpar, out.codec);
    out.stream->time_base = out.codec->time_base;
    if (spec.timesMs.empty())
        out.stream->avg_frame_rate = out.codec->framerate;
    out.storeDurations = spec.timesMs.empty();
    check(avio_open(&out.format->pb, file.c_str(), AVIO_FLAG_WRITE) >= 0, "cannot write " + file);
    check(avformat_write_header(out.format, nullptr) >= 0, "cannot write the header");
    if (sound)
        writeSilence(out.format, sound, int64_t(spec.frames) * 1000 * spec.rateDen / spec.rateNum);

    std::vector<uint8_t> bgra(size_t(spec.width) * spec.height * 4);
    SwsContext* scaler =
        sws_getContext(spec.width, spec.height, AV_PIX_FMT_BGRA, spec.width, spec.height,
                       out.codec->pix_fmt, SWS_POINT, nullptr, nullptr, nullptr);
    AVFrame* frame = av_frame_alloc();
    frame->format = out.codec->pix_fmt;
    frame->width = spec.width;
    frame->height = spec.height;
    check(av_frame_get_buffer(frame, 0) >= 0, "no frame buffer");
    for (int i = 0; i < spec.frames; ++i) {
        drawStamp(i, bgra.data(), spec.width, spec.height);
        av_frame_make_writable(frame);
        const uint8_t* planes[1] = {bgra.data()};
        const int pitches[1] = {spec.width * 4};
        sws_scale(scaler, planes, pitches, 0, spec.height, frame->data, frame->linesize);
        frame->pts = spec.timesMs.empty() ? i : spec.timesMs[size_t(i)];
        out.send(frame);
    }
    av_frame_free(&frame);
    sws_freeContext(scaler);
    out.send(nullptr);
    check(av_write_trailer(out.format) >= 0, "cannot finish the file");
}

void writeGif(const QString& path, const GifSpec& spec) {
    const int width = StampWidth;
    const int height = StampHeight;
    int error = 0;
    GifFileType* gif = EGifOpenFileName(path.toStdString().c_str(), false, &error);
    check(gif != nullptr, "cannot write the GIF");
    GifColorType colours[4] = {{0, 0, 0}, {255, 255, 255}, {255, 0, 0}, {0, 255, 0}};
    ColorMapObject* map = GifMakeMapObject(4, colours);
    EGifSetGifVersion(gif, true);
    EGifPutScreenDesc(gif, width, height, 2, 0, map);
    EGifPutExtensionLeader(gif, APPLICATION_EXT_FUNC_CODE);
    EGifPutExtensionBlock(gif, 11, "NETSCAPE2.0");
    const unsigned char loop[3] = {1, 0, 0};
    EGifPutExtensionBlock(gif, 3, loop);
    EGifPutExtensionTrailer(gif);
    std::vector<uint8_t> bgra(size_t(width) * height * 4);
    std::vector<GifPixelType> row(static_cast<size_t>(width));
    for (size_t i = 0; i < spec.delaysCs.size(); ++i) {
        const int number = int(i) + 1;
        GraphicsControlBlock control{};
        control.DelayTime = spec.delaysCs[i];
        control.TransparentColor = NO_TRANSPARENT_COLOR;
        control.DisposalMode =
            std::count(spec.disposeAfter.begin(), spec.disposeAfter.end(), number) ? 2 : 1;
        GifByteType extension[4];
        EGifGCBToExtension(&control, extension);
        EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, 4, extension);
        const bool partial = std::count(spec.partial.begin(), spec.partial.end(), number) > 0;
        const int top = partial ? height * 3 / 4 : 0;
        EGifPutImageDesc(gif, 0, top, width, height - top, false, nullptr);
        drawStamp(number, bgra.data(), width, height);
        for (int y = top; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                const uint8_t* pixel = &bgra[(size_t(y) * width + x) * 4];
                row[size_t(x)] = partial ? 3 : pixel[0] ? 1 : pixel[2] ? 2 : 0;
            }
            EGifPutLine(gif, row.data(), width);
        }
    }
    GifFreeMapObject(map);
    check(EGifCloseFile(gif, &error) == GIF_OK, "cannot finish the GIF");
}

void writeWebP(const QString& path, const std::vector<int>& durationsMs, bool animated) {
    const int width = StampWidth;
    const int height = StampHeight;
    std::vector<uint8_t> bgra(size_t(width) * height * 4);
    QFile file(path);
    check(file.open(QIODevice::WriteOnly), "cannot write the WebP");
    if (!animated) {
        drawStamp(1, bgra.data(), width, height);
        uint8_t* output = nullptr;
        const size_t size = WebPEncodeLosslessBGRA(bgra.data(), width, height, width * 4, &output);
        file.write(reinterpret_cast<const char*>(output), qint64(size));
        WebPFree(output);
        return;
    }
    WebPAnimEncoderOptions options;
    WebPAnimEncoderOptionsInit(&options);
    WebPAnimEncoder* encoder = WebPAnimEncoderNew(width, height, &options);
    WebPConfig config;
    WebPConfigInit(&config);
    config.lossless = 1;
    int timestamp = 0;
    for (size_t i = 0; i < durationsMs.size(); ++i) {
        drawStamp(int(i) + 1, bgra.data(), width, height);
        WebPPicture picture;
        WebPPictureInit(&picture);
        picture.use_argb = 1;
        picture.width = width;
        picture.height = height;
        WebPPictureImportBGRA(&picture, bgra.data(), width * 4);
        WebPAnimEncoderAdd(encoder, &picture, timestamp, &config);
        WebPPictureFree(&picture);
        timestamp += durationsMs[i];
    }
    WebPAnimEncoderAdd(encoder, nullptr, timestamp, nullptr);
    WebPData data;
    WebPDataInit(&data);
    check(WebPAnimEncoderAssemble(encoder, &data) != 0, "cannot assemble the WebP");
    file.write(reinterpret_cast<const char*>(data.bytes), qint64(data.size));
    WebPDataClear(&data);
    WebPAnimEncoderDelete(encoder);
}

} // namespace fixtures
