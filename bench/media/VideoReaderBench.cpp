// Decoding speed of the video readers: sequential 1080p H.264 to BGRA beside the ffmpeg command
// line decoding the same file to raw BGRA, random seeks, and opening a one-hour file.
#include "bench/support/Stopwatch.h"
#include "media/UVideoReader.h"
#include "tests/support/media/MediaFixtures.h"

#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <random>

namespace {

// Long enough that the command line's start-up is a small part of its time.
constexpr int HdFrames = 600;

// Seconds per frame of the program's sequential decoding, for the command line's comparison.
double& programSecondsPerFrame() {
    static double seconds = 0;
    return seconds;
}

QTemporaryDir& folder() {
    static QTemporaryDir dir;
    return dir;
}

// A 1080p 30 fps H.264 file, made once per run.
const QString& hdFile() {
    static const QString path = [] {
        fixtures::VideoSpec spec;
        spec.width = 1920;
        spec.height = 1080;
        spec.frames = HdFrames;
        spec.gop = 60;
        spec.bFrames = 2;
        const QString file = folder().filePath("hd.mp4");
        fixtures::writeVideo(file, spec);
        return file;
    }();
    return path;
}

// One hour at 30 fps of tiny pictures: the frame table is what opening costs.
const QString& hourFile() {
    static const QString path = [] {
        fixtures::VideoSpec spec;
        spec.encoder = "mpeg4";
        spec.width = 32;
        spec.height = 32;
        spec.frames = 30 * 3600;
        spec.gop = 300;
        const QString file = folder().filePath("hour.mp4");
        fixtures::writeVideo(file, spec);
        return file;
    }();
    return path;
}

int middleOfFrame(int k) {
    return (k * 1000 + 500) / 30;
}

void DecodeSequentialToBgra(benchmark::State& state) {
    std::vector<uint8_t> picture(size_t(1920) * 1080 * 4);
    const QString& file = hdFile();
    int64_t frames = 0;
    const Stopwatch timer;
    for (auto _ : state) {
        TVideoReaderEx reader(file);
        if (!reader.IsValid()) {
            state.SkipWithError("the test file cannot be read");
            return;
        }
        const int first = reader.Reader()->GetBeginTime(1);
        for (int k = 0; k < HdFrames; ++k)
            reader.GetFrame(first + middleOfFrame(k), picture.data());
        benchmark::DoNotOptimize(picture.data());
        frames += HdFrames;
    }
    state.counters["frames/s"] = benchmark::Counter(double(frames), benchmark::Counter::kIsRate);
    programSecondsPerFrame() = timer.seconds() / double(frames);
}
BENCHMARK(DecodeSequentialToBgra)->Unit(benchmark::kMillisecond)->UseRealTime();

void FfmpegCommandLineToBgra(benchmark::State& state) {
    const QString ffmpeg = QStandardPaths::findExecutable(QStringLiteral("ffmpeg"));
    if (ffmpeg.isEmpty()) {
        state.SkipWithError("the ffmpeg command line is not installed");
        return;
    }
    const QString& file = hdFile();
    int64_t frames = 0;
    const Stopwatch timer;
    for (auto _ : state) {
        QProcess process;
        process.setStandardOutputFile(QProcess::nullDevice());
        process.start(ffmpeg,
                      {"-v", "error", "-i", file, "-f", "rawvideo", "-pix_fmt", "bgra", "-"});
        process.waitForFinished(-1);
        frames += HdFrames;
    }
    state.counters["frames/s"] = benchmark::Counter(double(frames), benchmark::Counter::kIsRate);
    if (frames > 0 && programSecondsPerFrame() > 0)
        state.counters["program/ffmpeg time"] =
            programSecondsPerFrame() / (timer.seconds() / double(frames));
}
BENCHMARK(FfmpegCommandLineToBgra)->Unit(benchmark::kMillisecond)->UseRealTime();

void RandomSeek(benchmark::State& state) {
    std::vector<uint8_t> picture(size_t(1920) * 1080 * 4);
    TVideoReaderEx reader(hdFile());
    if (!reader.IsValid()) {
        state.SkipWithError("the test file cannot be read");
        return;
    }
    const int first = reader.Reader()->GetBeginTime(1);
    std::mt19937 random(7);
    std::uniform_int_distribution<int> frame(0, HdFrames - 1);
    for (auto _ : state) {
        reader.GetFrame(first + middleOfFrame(frame(random)), picture.data());
        benchmark::DoNotOptimize(picture.data());
    }
    state.counters["seeks/s"] =
        benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(RandomSeek)->Unit(benchmark::kMillisecond)->UseRealTime();

void OpenOneHourMp4(benchmark::State& state) {
    const QString& file = hourFile();
    for (auto _ : state) {
        TVideoReaderEx reader(file);
        if (!reader.IsValid()) {
            state.SkipWithError("the test file cannot be read");
            return;
        }
        benchmark::DoNotOptimize(reader.GetDurationMs());
    }
}
BENCHMARK(OpenOneHourMp4)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
