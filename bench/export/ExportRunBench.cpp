// A whole export of a 1080p30 project to H.264 beside the ffmpeg command line encoding the
// same pictures with the same settings (veryfast, High profile, no B frames, 10 Mbit/s, 4:2:0
// BT.709 limited range), fed raw BGRA rendered once beforehand. The painting stage is timed on
// its own, so the run's time splits into painting, encoding and the rest (index rewrite and
// delivery). TAVRIN_BENCH_EXPORT_SECONDS sets the length (60 by default).
//
// The project holds only its background until the object kinds exist; its pictures repeat,
// so the command line is fed one rendered second over and over instead of gigabytes of frames.
#include "core/URProject.h"
#include "core/URScenePaint.h"
#include "core/URSettings.h"
#include "export/URExportRun.h"
#include "graphics/URDX12Base.h"
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
        options.Audio = false;
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
    std::vector<QByteArray> second;
    for (int index = 0; index < FramePS; ++index) {
        const QImage& picture = prepared.Paint(index);
        second.emplace_back(reinterpret_cast<const char*>(picture.constBits()),
                            qsizetype(picture.sizeInBytes()));
    }
    const QStringList arguments{"-y",
                                "-v",
                                "error",
                                "-f",
                                "rawvideo",
                                "-pix_fmt",
                                "bgra",
                                "-s",
                                QStringLiteral("%1x%2").arg(Width).arg(Height),
                                "-r",
                                QString::number(FramePS),
                                "-i",
                                "-",
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
                                "-movflags",
                                "+faststart",
                                prepared.dir.filePath("cli.mp4")};
    double seconds = 0;
    for (auto _ : state) {
        QElapsedTimer timer;
        timer.start();
        QProcess ffmpeg;
        ffmpeg.start("ffmpeg", arguments);
        for (int index = 0; index < Seconds() * FramePS; ++index) {
            const QByteArray& frame = second[size_t(index % FramePS)];
            for (qint64 put = 0; put < frame.size();) {
                const qint64 n = ffmpeg.write(frame.constData() + put, frame.size() - put);
                if (n <= 0)
                    break;
                put += n;
                ffmpeg.waitForBytesWritten(-1);
            }
        }
        ffmpeg.closeWriteChannel();
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
