// Speed of the audio engine: decoding and resampling beside the ffmpeg command line on the
// same file, the tempo changer, the waveform and loudness analysis, loudness measurement and
// the mix-down of eight ten-minute tracks.
#include "bench/support/Stopwatch.h"
#include "media/UAudioLoudness.h"
#include "media/UAudioReader.h"
#include "media/UAudioWaveForm.h"
#include "media/UMFAudioResampler.h"
#include "media/URAudioExporter.h"
#include "tests/support/audio/AudioFixtures.h"

#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cmath>
#include <memory>
#include <numbers>

namespace {

constexpr int Rate = 44100;

QTemporaryDir& folder() {
    static QTemporaryDir dir;
    return dir;
}

// A file made once per run.
const QString& file(const char* name, const fixtures::ToneSpec& spec) {
    static std::map<std::string, QString> made;
    auto& path = made[name];
    if (path.isEmpty()) {
        path = folder().filePath(name);
        fixtures::writeTone(path, spec);
    }
    return path;
}

// Long enough that the command line's start-up is a small part of its time.
constexpr double AacSeconds = 600.0;

const QString& aacTenMinutes() {
    return file("ten.m4a", {"ipod", "aac", 48000, 2, AacSeconds, 440, 0.5, false});
}

// Wall-clock seconds per iteration of the program's decoding, for the command line's
// comparison.
double& programDecodeSeconds() {
    static double seconds = 0;
    return seconds;
}

const QString& wavTenMinutes() {
    return file("ten.wav", {"wav", "pcm_s16le", Rate, 2, 600.0, 440, 0.2, false});
}

std::vector<int16_t> stereoTone(int frames) {
    std::vector<int16_t> pcm(size_t(frames) * 2);
    for (int i = 0; i < frames; ++i)
        pcm[2 * size_t(i)] = pcm[2 * size_t(i) + 1] =
            int16_t(16000 * std::sin(2 * std::numbers::pi * 440 * i / Rate));
    return pcm;
}

// Audio seconds handled per wall-clock second.
void reportRealTime(benchmark::State& state, double audioSeconds) {
    state.counters["x_real_time"] =
        benchmark::Counter(audioSeconds * double(state.iterations()), benchmark::Counter::kIsRate);
}

void BM_DecodeResample(benchmark::State& state) {
    const QString& path = aacTenMinutes();
    std::vector<int16_t> block(size_t(Rate) * 2);
    const Stopwatch timer;
    for (auto _ : state) {
        TAudioReader reader;
        reader.OpenFile(path);
        reader.SetFormat(Rate, 2, 16);
        uint32_t flags = 0;
        while (flags == 0)
            reader.LoadData(Rate, reinterpret_cast<uint8_t*>(block.data()), flags);
    }
    programDecodeSeconds() = timer.seconds() / double(state.iterations());
    reportRealTime(state, AacSeconds);
    state.SetBytesProcessed(state.iterations() * int64_t(AacSeconds) * Rate * 4);
}
BENCHMARK(BM_DecodeResample)->Unit(benchmark::kMillisecond)->UseRealTime();

// The same work by the ffmpeg command line: decode to 44.1 kHz stereo 16-bit.
void BM_DecodeResampleFfmpegCli(benchmark::State& state) {
    const QString ffmpeg = QStandardPaths::findExecutable("ffmpeg");
    if (ffmpeg.isEmpty()) {
        state.SkipWithError("the ffmpeg command line is not installed");
        return;
    }
    const QString& path = aacTenMinutes();
    const Stopwatch timer;
    for (auto _ : state) {
        QProcess process;
        process.setStandardOutputFile(QProcess::nullDevice());
        process.start(ffmpeg,
                      {"-v", "quiet", "-i", path, "-ar", "44100", "-ac", "2", "-f", "s16le", "-"});
        process.waitForFinished(-1);
    }
    const double seconds = timer.seconds() / double(state.iterations());
    if (programDecodeSeconds() > 0)
        state.counters["program/ffmpeg time"] = programDecodeSeconds() / seconds;
    reportRealTime(state, AacSeconds);
    state.SetBytesProcessed(state.iterations() * int64_t(AacSeconds) * Rate * 4);
}
BENCHMARK(BM_DecodeResampleFfmpegCli)->Unit(benchmark::kMillisecond)->UseRealTime();

// The tempo changer at 50 % and 200 % speed (argument: per mille), fed like the reader.
void BM_TempoChanger(benchmark::State& state) {
    const int tempo = int(state.range(0));
    const auto pcm = stereoTone(Rate * 10);
    std::vector<int16_t> out;
    for (auto _ : state) {
        TMFAudioResampler r;
        r.SetParams(Rate, Rate, 2, 2, tempo);
        for (size_t at = 0; at + 4096 * 2 <= pcm.size(); at += 4096 * 2) {
            out.clear();
            r.ResamplePreservePitch(pcm.data() + at, 4096, out);
        }
        r.Flush(out);
        benchmark::DoNotOptimize(out.data());
    }
    state.SetBytesProcessed(state.iterations() * int64_t(pcm.size()) * 2);
    reportRealTime(state, 10.0);
}
BENCHMARK(BM_TempoChanger)->Arg(500)->Arg(2000)->Unit(benchmark::kMillisecond)->UseRealTime();

// The waveform and loudness kernels over one hour of 48 kHz stereo (computed in pieces of a
// minute from one minute of signal).
void BM_WaveFormAndLoudnessHour(benchmark::State& state) {
    std::vector<int16_t> minute(size_t(48000) * 60 * 2);
    for (size_t i = 0; i < minute.size(); ++i)
        minute[i] = int16_t(12000 * std::sin(double(i) * 0.031));
    for (auto _ : state) {
        TAudioAnalysis analysis(3600 * 1000);
        const int64_t perMinute = 60 * 60;
        for (int64_t i = 0; i < analysis.ChunkCount(); ++i)
            analysis.AddChunk(i, minute.data() + size_t(i % perMinute) * 1600);
        analysis.Finish();
        benchmark::DoNotOptimize(analysis.Loudness().data());
    }
    reportRealTime(state, 3600.0);
    state.SetBytesProcessed(state.iterations() * int64_t(3600) * 48000 * 4);
}
BENCHMARK(BM_WaveFormAndLoudnessHour)->Unit(benchmark::kMillisecond)->UseRealTime();

// MeasureLoudness of a minute-long file (decode, resample to 48 kHz, K-weighting, gating).
void BM_MeasureLoudness(benchmark::State& state) {
    const QString& path = aacTenMinutes();
    for (auto _ : state)
        benchmark::DoNotOptimize(MeasureLoudness(path, 0, int(AacSeconds * 1000)));
    reportRealTime(state, 60.0);
}
BENCHMARK(BM_MeasureLoudness)->Unit(benchmark::kMillisecond)->UseRealTime();

// Eight ten-minute tracks mixed into one file with fades.
void BM_MixDownEightTracks(benchmark::State& state) {
    const QString& path = wavTenMinutes();
    const uint32_t frames = 600 * 30;
    for (auto _ : state) {
        state.PauseTiming();
        std::vector<std::unique_ptr<TAudioReader>> readers;
        TRAudioExporter exporter;
        exporter.TempPath = folder().path();
        exporter.FrameEnd = frames;
        for (int t = 0; t < 8; ++t) {
            readers.push_back(std::make_unique<TAudioReader>());
            readers.back()->OpenFile(path);
            readers.back()->SetFormat(Rate, 2, 16);
            exporter.AddSound(readers.back().get(), uint32_t(t * 30), frames - 1,
                              uint32_t(t * 30 + 60), frames - 90, 0.3f);
        }
        state.ResumeTiming();
        exporter.Save();
    }
    state.SetBytesProcessed(state.iterations() * int64_t(frames) * 1470 * 4 * 8);
    reportRealTime(state, 600.0 * 8);
}
BENCHMARK(BM_MixDownEightTracks)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2);

} // namespace

BENCHMARK_MAIN();
