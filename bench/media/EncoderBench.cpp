// Encoding speed of the encoder family in frames per second: 1080p H.264 through the program
// beside the ffmpeg command line with the same settings on the same frames (the program's
// overhead over bare x264 in per cent), 1080p HEVC, and 720p animated GIF and WebP.
#include "media/UMFEncoderGif.h"
#include "media/UMFEncoderH264.h"
#include "media/UMFencoderWEBP.h"

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cmath>
#include <functional>
#include <map>

namespace {

constexpr int Distinct = 8; // pictures cycled through; every frame differs from the one before

QTemporaryDir& folder() {
    static QTemporaryDir dir;
    return dir;
}

// Moving gradients with a little texture, so the encoders see motion and detail.
const std::vector<std::vector<uint8_t>>& frames(int width, int height) {
    static std::map<std::pair<int, int>, std::vector<std::vector<uint8_t>>> cache;
    auto& set = cache[{width, height}];
    if (set.empty()) {
        for (int k = 0; k < Distinct; ++k) {
            std::vector<uint8_t> f(size_t(width) * size_t(height) * 4);
            for (int y = 0; y < height; ++y)
                for (int x = 0; x < width; ++x) {
                    uint8_t* p = &f[(size_t(y) * size_t(width) + size_t(x)) * 4];
                    p[0] = uint8_t(x + k * 8);
                    p[1] = uint8_t(y + k * 4);
                    p[2] = uint8_t(((x ^ y) & 15) * 8 + k * 16);
                    p[3] = 0xFF;
                }
            set.push_back(std::move(f));
        }
    }
    return set;
}

// Frames per second of the program's H.264 run, for the command line's comparison.
double& programH264Fps() {
    static double fps = 0;
    return fps;
}

double encodeAll(TMFEncoder& encoder, int width, int height, int count, benchmark::State& state) {
    encoder.SetParams(width, height, 30, 80, false, 44100, 16000, folder().filePath("bench"));
    if (encoder.StartEncode() != MF_S_OK) {
        state.SkipWithError(encoder.LastError().toStdString().c_str());
        return 0;
    }
    const auto& pictures = frames(width, height);
    QElapsedTimer timer;
    timer.start();
    for (int k = 0; k < count; ++k)
        encoder.AddVideoFrame(pictures[size_t(k % Distinct)].data());
    encoder.StopEncode();
    return double(timer.nsecsElapsed()) / 1e9;
}

void report(benchmark::State& state, int64_t frameCount, int width, int height) {
    state.counters["frames/s"] =
        benchmark::Counter(double(frameCount), benchmark::Counter::kIsRate);
    state.counters["Mpixel/s"] =
        benchmark::Counter(double(frameCount) * width * height / 1e6, benchmark::Counter::kIsRate);
}

template <typename Encoder>
void EncodeProgram(benchmark::State& state, int width, int height, int count,
                   const std::function<void(Encoder&)>& configure = {}) {
    int64_t total = 0;
    double seconds = 0;
    for (auto _ : state) {
        Encoder encoder;
        if (configure)
            configure(encoder);
        const double s = encodeAll(encoder, width, height, count, state);
        state.SetIterationTime(s);
        seconds += s;
        total += count;
    }
    report(state, total, width, height);
    if constexpr (std::is_same_v<Encoder, TMFEncoderH264Ex>)
        programH264Fps() = seconds > 0 ? double(total) / seconds : 0;
}

constexpr int HdFrames = 60;

void H264_1080p_Program(benchmark::State& state) {
    EncodeProgram<TMFEncoderH264Ex>(state, 1920, 1080, HdFrames);
}

// The same frames as raw BGRA through `ffmpeg -f rawvideo … -c:v libx264` with the program's
// settings: veryfast, High profile, no B frames, 10 Mbit/s, 4:2:0 tagged BT.709 limited range.
void H264_1080p_FfmpegCommandLine(benchmark::State& state) {
    if (QStandardPaths::findExecutable("ffmpeg").isEmpty()) {
        state.SkipWithError("ffmpeg is not installed");
        return;
    }
    const QString raw = folder().filePath("frames.bgra");
    {
        QFile file(raw);
        file.open(QIODevice::WriteOnly);
        const auto& pictures = frames(1920, 1080);
        for (int k = 0; k < HdFrames; ++k)
            file.write(reinterpret_cast<const char*>(pictures[size_t(k % Distinct)].data()),
                       qint64(pictures[0].size()));
    }
    const QStringList arguments = {"-y",        "-v",
                                   "error",     "-f",
                                   "rawvideo",  "-pix_fmt",
                                   "bgra",      "-s",
                                   "1920x1080", "-r",
                                   "30",        "-i",
                                   raw,         "-c:v",
                                   "libx264",   "-preset",
                                   "veryfast",  "-profile:v",
                                   "high",      "-bf",
                                   "0",         "-b:v",
                                   "10M",       "-pix_fmt",
                                   "yuv420p",   "-colorspace",
                                   "bt709",     "-color_primaries",
                                   "bt709",     "-color_trc",
                                   "bt709",     "-color_range",
                                   "tv",        folder().filePath("cli.mp4")};
    int64_t total = 0;
    double seconds = 0;
    for (auto _ : state) {
        QElapsedTimer timer;
        timer.start();
        QProcess::execute("ffmpeg", arguments);
        const double s = double(timer.nsecsElapsed()) / 1e9;
        state.SetIterationTime(s);
        seconds += s;
        total += HdFrames;
    }
    report(state, total, 1920, 1080);
    const double cliFps = seconds > 0 ? double(total) / seconds : 0;
    if (programH264Fps() > 0 && cliFps > 0)
        state.counters["program overhead %"] = (cliFps / programH264Fps() - 1.0) * 100.0;
}

void Hevc_1080p_Program(benchmark::State& state) {
    EncodeProgram<TMFEncoderH265>(state, 1920, 1080, 16);
}

void Gif_720p_Program(benchmark::State& state) {
    EncodeProgram<TMFEncoderGIF>(state, 1280, 720, 16, [&](TMFEncoderGIF& gif) {
        gif.UseChanges = state.range(0) != 0;
        gif.UseTransparency = state.range(0) != 0;
    });
}

void WebP_720p_Program(benchmark::State& state) {
    EncodeProgram<TMFEncoderWEBP>(state, 1280, 720, 16, [&](TMFEncoderWEBP& webp) {
        webp.Animation = true;
        webp.UseChanges = state.range(0) != 0;
    });
}

BENCHMARK(H264_1080p_Program)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(H264_1080p_FfmpegCommandLine)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(2);
BENCHMARK(Hevc_1080p_Program)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(Gif_720p_Program)
    ->ArgName("changes")
    ->Arg(0)
    ->Arg(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(2);
BENCHMARK(WebP_720p_Program)
    ->ArgName("changes")
    ->Arg(0)
    ->Arg(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(2);

} // namespace

BENCHMARK_MAIN();
