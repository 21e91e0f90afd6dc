// Screen-video codec throughput: encoding and decoding on all cores, in frames/s and MB/s of
// BGRA pictures, with bytes per frame and PSNR, at 720p, 1080p and 4K on desktop-like content
// (scrolling anti-aliased text and a dragged window, made by the benchmark itself). Beside it,
// on the same frames, ffmpeg's screen-friendly encoders (zmbv, flashsv2, lossless libx264rgb
// and libx264 at a high-quality CRF). Every side is timed alike: groups of 60 frames starting
// with a key frame, as the recorder writes them, each side converting its own input, and an
// ffmpeg encoder flushed before its clock stops. Making the pictures and measuring PSNR are
// not timed.
#include <QStringList>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cmath>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/opt.h>
#include <libswscale/swscale.h>
}

#include "bench/support/DesktopContent.h"
#include "capture/UVideoEncoder.h"
#include "media/UVideoDecoder.h"

namespace {

constexpr int kGroup = 60; // frames from one key frame to the next, as the recorder writes

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point since) {
    return std::chrono::duration<double>(Clock::now() - since).count();
}

const DesktopContent& Content(int width, int height) {
    static std::map<std::pair<int, int>, std::unique_ptr<DesktopContent>> contents;
    auto& content = contents[{width, height}];
    if (!content)
        content = std::make_unique<DesktopContent>(width, height);
    return *content;
}

double Psnr(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b) {
    double squares = 0;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (i % 4 != 3) // alpha does not take part
            squares += (double(a[i]) - b[i]) * (double(a[i]) - b[i]);
    const double mse = squares / (double(a.size()) * 3 / 4);
    return mse == 0 ? 99.0 : 10 * std::log10(255.0 * 255.0 / mse);
}

void Report(benchmark::State& state, int64_t frames, int64_t bytes, int width, int height) {
    state.SetItemsProcessed(frames);
    state.SetBytesProcessed(frames * int64_t(width) * height * 4);
    state.counters["frames/s"] = benchmark::Counter(double(frames), benchmark::Counter::kIsRate);
    state.counters["bytes/frame"] = frames ? double(bytes) / double(frames) : 0;
}

// One group of frames as records: a key frame, then delta frames.
std::vector<std::vector<uint8_t>> EncodeGroup(int width, int height, int qstep) {
    const DesktopContent& content = Content(width, height);
    TVideoEncoder encoder;
    encoder.MultiThread = true;
    encoder.StartEncode(width, height, qstep, true);
    std::vector<std::vector<uint8_t>> records;
    std::vector<uint8_t> out(encoder.MaxFrameBytes());
    for (int f = 0; f < kGroup; ++f) {
        const int size = encoder.Encode(f == 0, content.frame(f).data(), width * 4, out.data());
        records.emplace_back(out.begin(), out.begin() + std::max(size, 0));
    }
    return records;
}

void BM_Encode(benchmark::State& state, int width, int height, int qstep) {
    const DesktopContent& content = Content(width, height);
    TVideoEncoder encoder;
    encoder.MultiThread = true;
    encoder.StartEncode(width, height, qstep, true);
    std::vector<uint8_t> out(encoder.MaxFrameBytes());
    std::vector<uint8_t> picture(std::size_t(width) * height * 4);
    int64_t frames = 0, bytes = 0;
    for (auto _ : state) {
        double seconds = 0;
        for (int f = 0; f < kGroup; ++f, ++frames) {
            content.frame(int(frames), picture.data());
            const auto start = Clock::now();
            bytes += encoder.Encode(f == 0, picture.data(), width * 4, out.data());
            seconds += Seconds(start);
        }
        state.SetIterationTime(seconds);
    }
    Report(state, frames, bytes, width, height);
}

// Playback of a group: the key frame and every delta frame after it.
void BM_Decode(benchmark::State& state, int width, int height, int qstep) {
    const auto records = EncodeGroup(width, height, qstep);
    TVideoDecoder decoder;
    decoder.MultiThread = true;
    decoder.StartDecode(width, height, qstep);
    std::vector<uint8_t> out(std::size_t(width) * height * 4);
    int64_t frames = 0, bytes = 0;
    for (auto _ : state) {
        const auto start = Clock::now();
        for (const auto& record : records) {
            if (!decoder.Decode(record.data(), record.size(), out.data())) {
                state.SkipWithError("decoding failed");
                return;
            }
            bytes += int64_t(record.size());
        }
        state.SetIterationTime(Seconds(start));
        frames += kGroup;
    }
    Report(state, frames, bytes, width, height);
    double psnr = 99;
    for (std::size_t f = 0; f < records.size(); ++f) {
        decoder.Decode(records[f].data(), records[f].size(), out.data());
        if (f % 20 == 19)
            psnr = std::min(psnr, Psnr(out, Content(width, height).frame(int(f))));
    }
    state.counters["PSNR"] = psnr;
}

struct TFFmpegEncoder {
    const char* name;
    AVPixelFormat format;
    const char* options; // private options, "key=value:key=value"
};

AVCodecContext* OpenEncoder(const TFFmpegEncoder& spec, int width, int height) {
    const AVCodec* codec = avcodec_find_encoder_by_name(spec.name);
    AVCodecContext* context = codec ? avcodec_alloc_context3(codec) : nullptr;
    if (!context)
        return nullptr;
    context->width = width;
    context->height = height;
    context->pix_fmt = spec.format;
    context->time_base = {1, 30};
    context->gop_size = kGroup;
    context->thread_count = 0;
    for (const QString& option :
         QString::fromLatin1(spec.options).split(u':', Qt::SkipEmptyParts)) {
        const QStringList kv = option.split(u'=');
        av_opt_set(context->priv_data, kv[0].toLatin1().constData(), kv[1].toLatin1().constData(),
                   0);
    }
    if (avcodec_open2(context, codec, nullptr) < 0)
        avcodec_free_context(&context);
    return context;
}

// An ffmpeg encoder's side of a group: its own input conversion, the encoder and its packets.
struct TFFmpegSide {
    AVCodecContext* context = nullptr;
    AVCodecContext* decoder = nullptr; // for the PSNR, outside the timing
    SwsContext* toEncoder = nullptr;
    SwsContext* toBgra = nullptr;
    AVFrame* frame = av_frame_alloc();
    AVFrame* decoded = av_frame_alloc();
    AVPacket* packet = av_packet_alloc();
    int64_t bytes = 0;
    double psnr = 99;

    ~TFFmpegSide() {
        sws_freeContext(toEncoder);
        sws_freeContext(toBgra);
        av_frame_free(&frame);
        av_frame_free(&decoded);
        av_packet_free(&packet);
        avcodec_free_context(&context);
        avcodec_free_context(&decoder);
    }

    // Converts and encodes a picture (null: flushes the encoder); `keep` takes the packets.
    void send(const uint8_t* bgra, int64_t pts, std::vector<std::vector<uint8_t>>* keep = nullptr) {
        if (bgra) {
            av_frame_make_writable(frame);
            const uint8_t* planes[1] = {bgra};
            const int pitches[1] = {context->width * 4};
            sws_scale(toEncoder, planes, pitches, 0, context->height, frame->data, frame->linesize);
            frame->pts = pts;
        }
        avcodec_send_frame(context, bgra ? frame : nullptr);
        receive(keep);
    }

    void receive(std::vector<std::vector<uint8_t>>* keep) {
        while (avcodec_receive_packet(context, packet) == 0) {
            bytes += packet->size;
            if (keep)
                keep->emplace_back(packet->data, packet->data + packet->size);
            av_packet_unref(packet);
        }
    }
};

bool OpenSide(TFFmpegSide& side, const TFFmpegEncoder& spec, int width, int height) {
    side.context = OpenEncoder(spec, width, height);
    if (!side.context)
        return false;
    side.toEncoder = sws_getContext(width, height, AV_PIX_FMT_BGRA, width, height, spec.format,
                                    SWS_POINT, nullptr, nullptr, nullptr);
    side.frame->format = spec.format;
    side.frame->width = width;
    side.frame->height = height;
    return av_frame_get_buffer(side.frame, 0) >= 0;
}

// Lowest PSNR over a group encoded and decoded again by ffmpeg, every 20th frame.
double FFmpegPsnr(const TFFmpegEncoder& spec, int width, int height) {
    TFFmpegSide side;
    if (!OpenSide(side, spec, width, height))
        return 0;
    const DesktopContent& content = Content(width, height);
    std::vector<std::vector<uint8_t>> packets;
    for (int f = 0; f < kGroup; ++f)
        side.send(content.frame(f).data(), f, &packets);
    side.send(nullptr, 0, &packets);
    const AVCodec* codec = avcodec_find_decoder(side.context->codec_id);
    side.decoder = avcodec_alloc_context3(codec);
    avcodec_open2(side.decoder, codec, nullptr);
    std::vector<uint8_t> out(std::size_t(width) * height * 4);
    int index = 0;
    double psnr = 99;
    const auto drain = [&] {
        while (avcodec_receive_frame(side.decoder, side.decoded) == 0) {
            if (index % 20 == 19) {
                side.toBgra = sws_getCachedContext(
                    side.toBgra, width, height, AVPixelFormat(side.decoded->format), width, height,
                    AV_PIX_FMT_BGRA, SWS_POINT, nullptr, nullptr, nullptr);
                uint8_t* planes[1] = {out.data()};
                const int pitches[1] = {width * 4};
                sws_scale(side.toBgra, side.decoded->data, side.decoded->linesize, 0, height,
                          planes, pitches);
                psnr = std::min(psnr, Psnr(out, content.frame(index)));
            }
            ++index;
        }
    };
    AVPacket* packet = av_packet_alloc();
    for (const auto& bytes : packets) {
        av_new_packet(packet, int(bytes.size()));
        std::memcpy(packet->data, bytes.data(), bytes.size());
        avcodec_send_packet(side.decoder, packet);
        av_packet_unref(packet);
        drain();
    }
    av_packet_free(&packet);
    avcodec_send_packet(side.decoder, nullptr);
    drain();
    return psnr;
}

// One ffmpeg encoder on groups of the same frames, all the threads it can use.
void BM_FFmpegEncode(benchmark::State& state, TFFmpegEncoder spec, int width, int height) {
    const DesktopContent& content = Content(width, height);
    std::vector<uint8_t> picture(std::size_t(width) * height * 4);
    int64_t frames = 0, bytes = 0;
    for (auto _ : state) {
        TFFmpegSide side; // a new encoder per group, so it can be flushed inside the timing
        if (!OpenSide(side, spec, width, height)) {
            state.SkipWithError("encoder not available");
            return;
        }
        double seconds = 0;
        for (int f = 0; f < kGroup; ++f, ++frames) {
            content.frame(int(frames), picture.data());
            const auto start = Clock::now();
            side.send(picture.data(), f);
            seconds += Seconds(start);
        }
        const auto start = Clock::now();
        side.send(nullptr, 0);
        seconds += Seconds(start);
        state.SetIterationTime(seconds);
        bytes += side.bytes;
    }
    Report(state, frames, bytes, width, height);
    state.counters["PSNR"] = FFmpegPsnr(spec, width, height);
}

std::string SizeName(int w, int h) {
    return std::to_string(w) + "x" + std::to_string(h);
}

void RegisterFFmpeg(int w, int h) {
    const TFFmpegEncoder encoders[] = {
        {"zmbv", AV_PIX_FMT_BGR0, ""},
        {"flashsv2", AV_PIX_FMT_BGR24, ""},
        {"libx264rgb", AV_PIX_FMT_BGR0, "preset=ultrafast:qp=0"},
        {"libx264", AV_PIX_FMT_YUV420P, "preset=ultrafast:crf=10"},
    };
    for (const TFFmpegEncoder& e : encoders) {
        const std::string name = std::string("FFmpegEncode/") + e.name + "/" + SizeName(w, h);
        benchmark::RegisterBenchmark(name.c_str(), BM_FFmpegEncode, e, w, h)
            ->Unit(benchmark::kMillisecond)
            ->UseManualTime()
            ->Iterations(2);
    }
}

int RegisterAll() {
    av_log_set_level(AV_LOG_QUIET);
    const std::pair<int, int> sizes[] = {{1280, 720}, {1920, 1080}, {3840, 2160}};
    for (auto [w, h] : sizes) {
        for (int qstep : {0, 10, 20}) {
            const std::string suffix = "/" + SizeName(w, h) + "/q" + std::to_string(qstep);
            benchmark::RegisterBenchmark(("ScreenVideoEncode" + suffix).c_str(), BM_Encode, w, h,
                                         qstep)
                ->Unit(benchmark::kMillisecond)
                ->UseManualTime()
                ->Iterations(2);
            benchmark::RegisterBenchmark(("ScreenVideoDecode" + suffix).c_str(), BM_Decode, w, h,
                                         qstep)
                ->Unit(benchmark::kMillisecond)
                ->UseManualTime()
                ->Iterations(3);
        }
        RegisterFFmpeg(w, h);
    }
    return 0;
}

const int kRegistered = RegisterAll();

} // namespace

BENCHMARK_MAIN();
