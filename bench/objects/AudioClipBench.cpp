// An audio clip's sound exported alone to AAC (192 kbit/s), beside the ffmpeg command line
// doing the same from the same ten-minute file; goal: within 1.5 times ffmpeg's time.
#include "bench/support/Stopwatch.h"
#include "core/URProject.h"
#include "media/UAudioWaveForm.h"
#include "objects/URObjectsRegistry.h"
#include "objects/kinds/URAudio.h"
#include "objects/kinds/URKindsRegistry.h"
#include "tests/support/audio/AudioFixtures.h"

#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

constexpr double Seconds = 600.0;

QTemporaryDir& folder() {
    static QTemporaryDir dir;
    return dir;
}

// A recorded-like sound: ten minutes of 48 kHz stereo AAC in the project's folder.
const QString& source() {
    static const QString path = [] {
        const QString p = folder().filePath("sound.m4a");
        fixtures::writeTone(p, {"ipod", "aac", 48000, 2, Seconds, 440, 0.5, false});
        return p;
    }();
    return path;
}

double& programSeconds() {
    static double seconds = 0;
    return seconds;
}

void reportRealTime(benchmark::State& state) {
    state.counters["x_real_time"] =
        benchmark::Counter(Seconds * double(state.iterations()), benchmark::Counter::kIsRate);
}

void BM_ExportAudioAac(benchmark::State& state) {
    RegisterEngineKinds();
    RegisterDrawableKinds();
    source();
    TRProject project;
    project.TempFolder = folder().path() + '/';
    TRAudio clip(&project, otAudio);
    clip.SetTimeStartField(0);
    if (!clip.LoadMediaEx("sound.m4a")) {
        state.SkipWithError("the sound could not be opened");
        return;
    }
    clip.AudioTrack().WaveForm()->WaitCompleted(120000); // the analysis is not timed
    const Stopwatch timer;
    for (auto _ : state)
        if (!clip.ExportAudio(folder().filePath("program.m4a")))
            state.SkipWithError(clip.AudioTrack().LastError().toStdString().c_str());
    programSeconds() = timer.seconds() / double(state.iterations());
    reportRealTime(state);
}
BENCHMARK(BM_ExportAudioAac)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_ExportAudioAacFfmpegCli(benchmark::State& state) {
    const QString ffmpeg = QStandardPaths::findExecutable("ffmpeg");
    if (ffmpeg.isEmpty()) {
        state.SkipWithError("the ffmpeg command line is not installed");
        return;
    }
    const QString& path = source();
    const Stopwatch timer;
    for (auto _ : state) {
        QProcess process;
        process.start(ffmpeg, {"-v", "quiet", "-y", "-i", path, "-ar", "44100", "-ac", "2", "-c:a",
                               "aac", "-b:a", "192k", folder().filePath("ffmpeg.m4a")});
        process.waitForFinished(-1);
    }
    const double seconds = timer.seconds() / double(state.iterations());
    if (programSeconds() > 0)
        state.counters["program/ffmpeg time"] = programSeconds() / seconds;
    reportRealTime(state);
}
BENCHMARK(BM_ExportAudioAacFfmpegCli)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
