// Encoding speed of the encoder family in frames per second: the program's 1080p H.264 export
// beside the ffmpeg command line with the same settings on the same 600 desktop-like frames,
// both as whole processes fed through a pipe (the program's overhead over bare x264 in per
// cent), 1080p HEVC, and 720p animated GIF and WebP on the same kind of content.
#include "bench/support/DesktopContent.h"
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
#include <cstdio>
#include <functional>
#include <map>

namespace {

constexpr int Distinct = 16; // pictures cycled through; every frame differs from the one before

QTemporaryDir& folder() {
    static QTemporaryDir dir;
    return dir;
}

// Desktop-like pictures: scrolling text and a dragged window.
const std::vector<std::vector<uint8_t>>& frames(int width, int height) {
    static std::map<std::pair<int, int>, std::vector<std::vector<uint8_t>>> cache;
    auto& set = cache[{width, height}];
    if (set.empty()) {
        const DesktopContent content(width, height);
        for (int k = 0; k < Distinct; ++k)
            set.push_back(content.frame(k));
    }
    return set;
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
    for (auto _ : state) {
        Encoder encoder;
        if (configure)
            configure(encoder);
        state.SetIterationTime(encodeAll(encoder, width, height, count, state));
        total += count;
    }
    report(state, total, width, height);
}

constexpr int ExportFrames = 600;
constexpr int ExportWidth = 1920;
constexpr int ExportHeight = 1080;

// Seconds a process takes to encode the export frames fed to its standard input (the same
// desktop-like pictures for every process), from its start to its end; negative on failure.
double timeProcess(const QString& command) {
    DesktopContent content(ExportWidth, ExportHeight);
    std::vector<uint8_t> picture(size_t(ExportWidth) * ExportHeight * 4);
    QElapsedTimer timer;
    timer.start();
    FILE* process = popen(command.toLocal8Bit().constData(), "w");
    if (!process)
        return -1;
    bool written = true;
    for (int k = 0; k < ExportFrames && written; ++k) {
        content.frame(k, picture.data());
        written = std::fwrite(picture.data(), 1, picture.size(), process) == picture.size();
    }
    const int status = pclose(process);
    return written && status == 0 ? double(timer.nsecsElapsed()) / 1e9 : -1;
}

// Seconds of the program's export process, for the command line's comparison.
double& programExportSeconds() {
    static double seconds = 0;
    return seconds;
}

void runExport(benchmark::State& state, const QString& command, double& seconds) {
    for (auto _ : state) {
        seconds = timeProcess(command);
        if (seconds <= 0) {
            state.SkipWithError("the export process failed");
            return;
        }
        state.SetIterationTime(seconds);
    }
    report(state, state.iterations() * ExportFrames, ExportWidth, ExportHeight);
}

// 600 desktop-like 1080p pictures through the program's H.264 export, as a process of its own
// reading raw BGRA from a pipe.
void H264_1080p_ExportProcess(benchmark::State& state) {
    const QString command = QStringLiteral("%1 %2 %3 30 %4")
                                .arg(QStringLiteral(TAVRIN_EXPORT_PROCESS))
                                .arg(ExportWidth)
                                .arg(ExportHeight)
                                .arg(folder().filePath("program"));
    runExport(state, command, programExportSeconds());
}

// The same pictures through `ffmpeg -f rawvideo -i - -c:v libx264` with the program's settings
// (veryfast, High profile, no B frames, 10 Mbit/s, 4:2:0 tagged BT.709 limited range), also as
// a whole process reading the same pipe. Reports the program's overhead over it.
void H264_1080p_FfmpegCommandLine(benchmark::State& state) {
    if (QStandardPaths::findExecutable("ffmpeg").isEmpty()) {
        state.SkipWithError("ffmpeg is not installed");
        return;
    }
    const QString command =
        QStringLiteral("ffmpeg -y -v error -f rawvideo -pix_fmt bgra -s %1x%2 -r 30 -i - "
                       "-c:v libx264 -preset veryfast -profile:v high -bf 0 -b:v 10M "
                       "-pix_fmt yuv420p -colorspace bt709 -color_primaries bt709 "
                       "-color_trc bt709 -color_range tv %3")
            .arg(ExportWidth)
            .arg(ExportHeight)
            .arg(folder().filePath("cli.mp4"));
    double seconds = 0;
    runExport(state, command, seconds);
    if (programExportSeconds() > 0 && seconds > 0) {
        state.counters["program/ffmpeg time"] = programExportSeconds() / seconds;
        state.counters["program overhead %"] = (programExportSeconds() / seconds - 1.0) * 100.0;
    }
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

BENCHMARK(H264_1080p_ExportProcess)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(H264_1080p_FfmpegCommandLine)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);
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
