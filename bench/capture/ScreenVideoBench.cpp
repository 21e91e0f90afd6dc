// Screen-video codec throughput: encoding and decoding whole frames on all cores, in frames/s
// and MB/s of BGRA pictures, with bytes per frame and PSNR, at 720p, 1080p and 4K on three
// kinds of content; beside it, on the same frames, ffmpeg's screen-friendly encoders (zmbv,
// flashsv2, lossless libx264rgb and libx264 at a high-quality CRF). Their input is converted
// to their pixel format before timing starts.
#include <QStringList>
#include <benchmark/benchmark.h>
#include <cmath>
#include <cstring>
#include <map>
#include <string>
#include <vector>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/opt.h>
#include <libswscale/swscale.h>
}

#include "capture/UVideoEncoder.h"
#include "media/UVideoDecoder.h"
#include "tests/capture/ScreenVideoContent.h"

namespace {

constexpr int kFrames = 6;

struct TClip {
    int width, height;
    std::vector<std::vector<uint8_t>> pictures;
};

const TClip& Clip(TScreenContent kind, int width, int height) {
    static std::map<std::tuple<int, int, int>, TClip> clips;
    TClip& clip = clips[{int(kind), width, height}];
    if (clip.pictures.empty()) {
        clip.width = width, clip.height = height;
        for (int f = 0; f < kFrames; ++f)
            clip.pictures.push_back(ScreenContentFrame(kind, width, height, f));
    }
    return clip;
}

double Psnr(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b) {
    double squares = 0;
    for (std::size_t i = 0; i < a.size(); ++i)
        squares += (double(a[i]) - b[i]) * (double(a[i]) - b[i]);
    const double mse = squares / double(a.size());
    return mse == 0 ? 99.0 : 10 * std::log10(255.0 * 255.0 / mse);
}

// The clip's frames as records: a key frame, then delta frames.
std::vector<std::vector<uint8_t>> EncodeClip(const TClip& clip, int qstep) {
    TVideoEncoder encoder;
    encoder.MultiThread = true;
    encoder.StartEncode(clip.width, clip.height, qstep, true);
    std::vector<std::vector<uint8_t>> records;
    std::vector<uint8_t> out(encoder.MaxFrameBytes());
    for (int f = 0; f < kFrames; ++f) {
        const int size =
            encoder.Encode(f == 0, clip.pictures[f].data(), clip.width * 4, out.data());
        if (size > 0)
            records.emplace_back(out.begin(), out.begin() + size);
    }
    return records;
}

void BM_Encode(benchmark::State& state, TScreenContent kind, int width, int height, int qstep) {
    const TClip& clip = Clip(kind, width, height);
    TVideoEncoder encoder;
    encoder.MultiThread = true;
    encoder.StartEncode(width, height, qstep, true);
    std::vector<uint8_t> out(encoder.MaxFrameBytes());
    int64_t frames = 0, bytes = 0;
    for (auto _ : state) {
        const int f = int(frames % kFrames);
        bytes += encoder.Encode(frames == 0, clip.pictures[f].data(), width * 4, out.data());
        ++frames;
    }
    state.SetItemsProcessed(frames);
    state.SetBytesProcessed(frames * int64_t(width) * height * 4);
    state.counters["frames/s"] = benchmark::Counter(double(frames), benchmark::Counter::kIsRate);
    state.counters["bytes/frame"] = double(bytes) / double(frames);
}

// Delta frames as playback meets them: the key frame is decoded untimed, then the deltas.
void BM_Decode(benchmark::State& state, TScreenContent kind, int width, int height, int qstep,
               bool keyFrames) {
    const TClip& clip = Clip(kind, width, height);
    const auto records = EncodeClip(clip, qstep);
    TVideoDecoder decoder;
    decoder.MultiThread = true;
    decoder.StartDecode(width, height, qstep);
    std::vector<uint8_t> out(std::size_t(width) * height * 4);
    int64_t frames = 0;
    double psnr = 99;
    const std::size_t deltas = keyFrames ? 1 : records.size();
    for (auto _ : state) {
        if (!keyFrames) {
            state.PauseTiming();
            decoder.Decode(records[0].data(), records[0].size(), out.data());
            state.ResumeTiming();
        }
        for (std::size_t r = keyFrames ? 0 : 1; r < deltas; ++r, ++frames) {
            if (!decoder.Decode(records[r].data(), records[r].size(), out.data())) {
                state.SkipWithError("decoding failed");
                return;
            }
            if (frames < int64_t(records.size()))
                psnr = std::min(psnr, Psnr(out, clip.pictures[r]));
        }
    }
    state.SetItemsProcessed(frames);
    state.SetBytesProcessed(frames * int64_t(width) * height * 4);
    state.counters["frames/s"] = benchmark::Counter(double(frames), benchmark::Counter::kIsRate);
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
    context->gop_size = 60;
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

// Converts packed pictures between pixel formats with sws.
AVFrame* Convert(const uint8_t* const* src, const int* stride, AVPixelFormat from, AVPixelFormat to,
                 int width, int height) {
    AVFrame* frame = av_frame_alloc();
    frame->format = to;
    frame->width = width;
    frame->height = height;
    av_frame_get_buffer(frame, 32);
    SwsContext* sws = sws_getContext(width, height, from, width, height, to, SWS_POINT, nullptr,
                                     nullptr, nullptr);
    sws_scale(sws, src, stride, 0, height, frame->data, frame->linesize);
    sws_freeContext(sws);
    return frame;
}

std::vector<AVFrame*> ConvertClip(const TClip& clip, AVPixelFormat format) {
    std::vector<AVFrame*> frames;
    for (const auto& picture : clip.pictures) {
        const uint8_t* src[1] = {picture.data()};
        const int stride[1] = {clip.width * 4};
        frames.push_back(Convert(src, stride, AV_PIX_FMT_BGRA, format, clip.width, clip.height));
    }
    return frames;
}

void FreeFrames(std::vector<AVFrame*>& frames) {
    for (AVFrame* frame : frames)
        av_frame_free(&frame);
}

// Lowest PSNR of the clip encoded by the encoder and decoded again by ffmpeg.
double FFmpegPsnr(const TFFmpegEncoder& spec, const TClip& clip, std::vector<AVFrame*>& frames) {
    AVCodecContext* encoder = OpenEncoder(spec, clip.width, clip.height);
    const AVCodec* codec = avcodec_find_decoder(encoder->codec_id);
    AVCodecContext* decoder = avcodec_alloc_context3(codec);
    avcodec_open2(decoder, codec, nullptr);
    AVPacket* packet = av_packet_alloc();
    AVFrame* decoded = av_frame_alloc();
    double psnr = 99;
    std::size_t index = 0;
    auto drainDecoder = [&] {
        while (avcodec_receive_frame(decoder, decoded) == 0 && index < clip.pictures.size()) {
            AVFrame* bgra =
                Convert(decoded->data, decoded->linesize, AVPixelFormat(decoded->format),
                        AV_PIX_FMT_BGRA, clip.width, clip.height);
            std::vector<uint8_t> out(std::size_t(clip.width) * clip.height * 4);
            for (int y = 0; y < clip.height; ++y)
                std::memcpy(out.data() + std::size_t(y) * clip.width * 4,
                            bgra->data[0] + std::size_t(y) * bgra->linesize[0], clip.width * 4);
            av_frame_free(&bgra);
            // The alpha channel does not take part.
            for (std::size_t i = 3; i < out.size(); i += 4)
                out[i] = 255;
            psnr = std::min(psnr, Psnr(out, clip.pictures[index++]));
        }
    };
    for (std::size_t f = 0; f <= frames.size(); ++f) {
        if (f < frames.size())
            frames[f]->pts = int64_t(f);
        avcodec_send_frame(encoder, f < frames.size() ? frames[f] : nullptr);
        while (avcodec_receive_packet(encoder, packet) == 0) {
            avcodec_send_packet(decoder, packet);
            av_packet_unref(packet);
            drainDecoder();
        }
    }
    avcodec_send_packet(decoder, nullptr);
    drainDecoder();
    av_frame_free(&decoded);
    av_packet_free(&packet);
    avcodec_free_context(&decoder);
    avcodec_free_context(&encoder);
    return psnr;
}

// One ffmpeg encoder on the clip, all threads it can use, a key frame every 60 frames.
void BM_FFmpegEncode(benchmark::State& state, TFFmpegEncoder spec, TScreenContent kind, int width,
                     int height) {
    const TClip& clip = Clip(kind, width, height);
    AVCodecContext* context = OpenEncoder(spec, width, height);
    if (!context) {
        state.SkipWithError("encoder not available");
        return;
    }
    std::vector<AVFrame*> frames = ConvertClip(clip, spec.format);
    AVPacket* packet = av_packet_alloc();
    int64_t count = 0, bytes = 0;
    for (auto _ : state) {
        AVFrame* frame = frames[count % frames.size()];
        frame->pts = count++;
        avcodec_send_frame(context, frame);
        while (avcodec_receive_packet(context, packet) == 0) {
            bytes += packet->size;
            av_packet_unref(packet);
        }
    }
    state.SetItemsProcessed(count);
    state.SetBytesProcessed(count * int64_t(width) * height * 4);
    state.counters["frames/s"] = benchmark::Counter(double(count), benchmark::Counter::kIsRate);
    state.counters["bytes/frame"] = double(bytes) / double(count);
    state.counters["PSNR"] = FFmpegPsnr(spec, clip, frames);
    av_packet_free(&packet);
    FreeFrames(frames);
    avcodec_free_context(&context);
}

const char* ContentName(TScreenContent kind) {
    return kind == TScreenContent::Desktop         ? "desktop"
           : kind == TScreenContent::ScrollingText ? "text"
                                                   : "motion";
}

void RegisterFFmpeg(TScreenContent kind, int w, int h) {
    const TFFmpegEncoder encoders[] = {
        {"zmbv", AV_PIX_FMT_BGR0, ""},
        {"flashsv2", AV_PIX_FMT_BGR24, ""},
        {"libx264rgb", AV_PIX_FMT_BGR0, "preset=ultrafast:qp=0"},
        {"libx264", AV_PIX_FMT_YUV420P, "preset=ultrafast:crf=10"},
    };
    for (const TFFmpegEncoder& e : encoders) {
        const std::string name = std::string("FFmpegEncode/") + e.name + "/" + ContentName(kind) +
                                 "/" + std::to_string(w) + "x" + std::to_string(h);
        benchmark::RegisterBenchmark(name.c_str(), BM_FFmpegEncode, e, kind, w, h)
            ->Unit(benchmark::kMillisecond)
            ->UseRealTime();
    }
}

int RegisterAll() {
    av_log_set_level(AV_LOG_QUIET);
    const std::pair<int, int> sizes[] = {{1280, 720}, {1920, 1080}, {3840, 2160}};
    for (TScreenContent kind :
         {TScreenContent::Desktop, TScreenContent::ScrollingText, TScreenContent::Motion})
        for (auto [w, h] : sizes)
            for (int qstep : {0, 10, 20}) {
                const std::string suffix = std::string("/") + ContentName(kind) + "/" +
                                           std::to_string(w) + "x" + std::to_string(h) + "/q" +
                                           std::to_string(qstep);
                benchmark::RegisterBenchmark(("ScreenVideoEncode" + suffix).c_str(), BM_Encode,
                                             kind, w, h, qstep)
                    ->Unit(benchmark::kMillisecond)
                    ->UseRealTime();
                if (qstep == 0)
                    RegisterFFmpeg(kind, w, h);
                benchmark::RegisterBenchmark(("ScreenVideoDecodeKey" + suffix).c_str(), BM_Decode,
                                             kind, w, h, qstep, true)
                    ->Unit(benchmark::kMillisecond)
                    ->UseRealTime();
                benchmark::RegisterBenchmark(("ScreenVideoDecodeDelta" + suffix).c_str(), BM_Decode,
                                             kind, w, h, qstep, false)
                    ->Unit(benchmark::kMillisecond)
                    ->UseRealTime();
            }
    return 0;
}

const int kRegistered = RegisterAll();

} // namespace

BENCHMARK_MAIN();
