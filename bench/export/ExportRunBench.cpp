// A whole export of a 1080p30 project with sound to H.264 and AAC beside the ffmpeg command line
// encoding the same pictures and the same mix-down with the same settings (veryfast, High
// profile, no B frames, 10 Mbit/s, 4:2:0 BT.709 limited range; AAC at 192 kbit/s), fed raw BGRA
// rendered once beforehand and the mix-down made once beforehand. The painting and mix-down
// stages are timed on their own, so the run's time splits into painting, mixing, encoding and
// the rest (index rewrite and delivery). TAVRIN_BENCH_EXPORT_SECONDS sets the length (60 by
// default).
//
// The project holds only its background until the object kinds exist; its pictures repeat,
// so the command line is fed one rendered second over and over instead of gigabytes of frames.
#include "core/URProject.h"
#include "core/URScenePaint.h"
#include "core/URSettings.h"
#include "export/URExportAudio.h"
#include "export/URExportRun.h"
#include "graphics/URDX12Base.h"
#include "media/UAudioReader.h"
#include "media/UMFAudioResampler.h"
#include "media/URAudioExporter.h"
#include "objects/URObjectsRegistry.h"
#include "platform/render/Bitmap.h"
#include "platform/render/ContextState.h"
#include "platform/render/DeviceContext.h"

#include <QDir>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cmath>
#include <numbers>

using namespace platform::render;

namespace {

constexpr int Width = 1920;
constexpr int Height = 1080;
constexpr int FramePS = 30;

class SilentReporter : public TRExportReporter {
public:
    void InitSteps(const QStringList&) override {}
    void StartStep(int) override {}
    void EndStep(int) override {}
    void SetProgress(int) override {}
    bool Canceled() override { return false; }
    bool RetryCopy(const QString&) override { return false; }
    void ShowUndelivered(const QString&, const QString&) override {}
};

int Seconds() {
    const int seconds = qEnvironmentVariableIntValue("TAVRIN_BENCH_EXPORT_SECONDS");
    return seconds > 0 ? seconds : 60;
}

// A stereo 440 Hz tone as long as the project, written as a WAV file.
void WriteTone(const QString& name) {
    QFile file(name);
    file.open(QIODevice::WriteOnly);
    WriteWavHeader(TWaveFormat::Pcm16(44100, 2), file);
    std::vector<int16_t> samples(size_t(44100) * 2);
    for (int second = 0; second < Seconds(); ++second) {
        for (size_t i = 0; i < samples.size(); i += 2)
            samples[i] = samples[i + 1] =
                int16_t(8000 * std::sin(2 * std::numbers::pi * 440 * double(i / 2) / 44100));
        file.write(reinterpret_cast<const char*>(samples.data()), qint64(samples.size() * 2));
    }
    WriteWavHeader(TWaveFormat::Pcm16(44100, 2), file);
}

// A sound clip over the whole timeline, as the audio clips will add theirs.
class ToneClip : public TRObject {
public:
    ToneClip(TRProject* project, const QString& file) : TRObject(project, otAudio), FFile(file) {}
    void AddAudioToVideoExporter(TRAudioExporter& exporter) override {
        if (FReader.OpenFile(FFile) && FReader.SetFormat(44100, 2, 16))
            exporter.AddSound(&FReader, 0, std::uint32_t(Seconds() * 30 - 1), 0,
                              std::uint32_t(Seconds() * 30 - 1), 1.0f);
    }

private:
    QString FFile;
    TAudioReader FReader;
};

struct Setup {
    Setup() {
        SetDefaultSettings(SettingsRecord);
        RegisterEngineKinds();
        InitDX();
        project = std::make_unique<TRProject>();
        project->SetProjectSize(Width, Height);
        project->SetTimeEnd(Seconds() * 1000);
        QDir(dir.path()).mkpath("work");
        QDir(dir.path()).mkpath("out");
        project->TempFolder = dir.filePath("work") + '/';
        TRProjectExportOptions& options = project->ExportOptions();
        options.FileName = QStringLiteral("bench");
        options.FilePath = dir.filePath("out") + '/';
        options.FramePS = FramePS;
        WriteTone(dir.filePath("tone.wav"));
        project->AddObject(std::make_unique<ToneClip>(project.get(), dir.filePath("tone.wav")));
    }
    // Paints frame `index` and returns its picture.
    const QImage& Paint(int index) {
        if (!bitmap)
            bitmap =
                Bitmap::create(SizeU{Width, Height}, BitmapProperties{AlphaMode::Premultiplied, 96,
                                                                      96, BitmapOptions::Target});
        DeviceContext& context = *SceneContext();
        const ContextStateGuard guard(context);
        context.setTarget(bitmap);
        context.setTransform(Matrix3x2::translation(Width / 2, Height / 2));
        context.beginDraw();
        project->PaintOnVideo(index * 1000 / FramePS, float(index) / float(Seconds() * FramePS));
        context.endDraw();
        return bitmap->image();
    }

    QTemporaryDir dir;
    std::unique_ptr<TRProject> project;
    std::shared_ptr<Bitmap> bitmap;
};

Setup& setup() {
    static Setup prepared;
    return prepared;
}

double& ProgramSeconds() {
    static double seconds = 0;
    return seconds;
}

void Report(benchmark::State& state) {
    state.counters["frames/s"] = benchmark::Counter(
        double(state.iterations()) * Seconds() * FramePS, benchmark::Counter::kIsRate);
}

void ExportRun_1080p30_H264(benchmark::State& state) {
    Setup& prepared = setup();
    SilentReporter reporter;
    for (auto _ : state) {
        QElapsedTimer timer;
        timer.start();
        const TRExportOutcome outcome = ExportProjectToFile(prepared.project.get(), reporter);
        ProgramSeconds() = double(timer.nsecsElapsed()) / 1e9;
        if (!outcome.Delivered)
            state.SkipWithError(ExportError.toStdString().c_str());
    }
    Report(state);
}

// The mix-down stage alone: the timeline's sound into "ntmp.wav".
void ExportRun_MixDownStage(benchmark::State& state) {
    Setup& prepared = setup();
    for (auto _ : state)
        if (!MixDownProjectAudio(*prepared.project))
            state.SkipWithError("the mix-down failed");
    Report(state);
}

// The painting stage alone: every frame of the run into one bitmap.
void ExportRun_PaintStage(benchmark::State& state) {
    Setup& prepared = setup();
    for (auto _ : state)
        for (int index = 0; index < Seconds() * FramePS; ++index)
            benchmark::DoNotOptimize(prepared.Paint(index).constBits());
    Report(state);
}

void FfmpegCommandLine_1080p30_H264(benchmark::State& state) {
    if (QStandardPaths::findExecutable("ffmpeg").isEmpty()) {
        state.SkipWithError("ffmpeg is not installed");
        return;
    }
    Setup& prepared = setup();
    if (!MixDownProjectAudio(*prepared.project)) {
        state.SkipWithError("the mix-down failed");
        return;
    }
    // One rendered second in a raw file that ffmpeg reads over and over: no pipe between the
    // two programs takes a share of the time.
    const QString second = prepared.dir.filePath("second.bgra");
    {
        QFile raw(second);
        raw.open(QIODevice::WriteOnly);
        for (int index = 0; index < FramePS; ++index) {
            const QImage& picture = prepared.Paint(index);
            raw.write(reinterpret_cast<const char*>(picture.constBits()), picture.sizeInBytes());
        }
    }
    const QStringList arguments{"-y",
                                "-v",
                                "error",
                                "-stream_loop",
                                "-1",
                                "-f",
                                "rawvideo",
                                "-pix_fmt",
                                "bgra",
                                "-s",
                                QStringLiteral("%1x%2").arg(Width).arg(Height),
                                "-r",
                                QString::number(FramePS),
                                "-i",
                                second,
                                "-i",
                                prepared.project->TempFolder + "ntmp.wav",
                                "-frames:v",
                                QString::number(Seconds() * FramePS),
                                "-c:v",
                                "libx264",
                                "-preset",
                                "veryfast",
                                "-profile:v",
                                "high",
                                "-bf",
                                "0",
                                "-b:v",
                                "10M",
                                "-pix_fmt",
                                "yuv420p",
                                "-colorspace",
                                "bt709",
                                "-color_primaries",
                                "bt709",
                                "-color_trc",
                                "bt709",
                                "-color_range",
                                "tv",
                                "-c:a",
                                "aac",
                                "-b:a",
                                "192k",
                                "-shortest",
                                "-movflags",
                                "+faststart",
                                prepared.dir.filePath("cli.mp4")};
    double seconds = 0;
    for (auto _ : state) {
        QElapsedTimer timer;
        timer.start();
        QProcess ffmpeg;
        ffmpeg.start("ffmpeg", arguments);
        ffmpeg.waitForFinished(-1);
        seconds = double(timer.nsecsElapsed()) / 1e9;
        if (ffmpeg.exitCode() != 0)
            state.SkipWithError("ffmpeg failed");
    }
    Report(state);
    if (ProgramSeconds() > 0 && seconds > 0)
        state.counters["program overhead %"] = (ProgramSeconds() / seconds - 1.0) * 100.0;
}

} // namespace

BENCHMARK(ExportRun_1080p30_H264)->Unit(benchmark::kSecond)->Iterations(1)->UseRealTime();
BENCHMARK(ExportRun_MixDownStage)->Unit(benchmark::kSecond)->Iterations(1)->UseRealTime();
BENCHMARK(ExportRun_PaintStage)->Unit(benchmark::kSecond)->Iterations(1)->UseRealTime();
BENCHMARK(FfmpegCommandLine_1080p30_H264)->Unit(benchmark::kSecond)->Iterations(1)->UseRealTime();

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
