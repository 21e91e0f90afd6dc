// Screen recording of a 1920 × 1080 screen that changes every frame (a 256-pixel panel moving
// over a static desktop) at 60 fps into a screen-video file, on an X server of its own: CPU
// time per frame of the recorder together with the X server's, and the frame slots that got
// no picture. Beside it, ffmpeg grabbing the same screen with x11grab into lossless
// libx264rgb. The same for the live recorder's H.264 at 30 fps beside ffmpeg's libx264. The
// recording length is the benchmark's argument in seconds.
#include "capture/UMFScreenRecorder.h"
#include "capture/URVideoRecorder.h"
#include "media/UMFencoder.h"
#include "media/UVideoReader.h"
#include "media/UVideoReaderTVC.h"
#include "tests/support/OwnXServer.h"
#include "tests/support/XPainter.h"

#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <atomic>
#include <benchmark/benchmark.h>
#include <fstream>
#include <sys/resource.h>
#include <thread>
#include <unistd.h>

namespace {

constexpr int Fps = 60;

// CPU seconds of a process from /proc (user + system).
double ProcessCpu(qint64 pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string field;
    double ticks = 0;
    for (int i = 1; i <= 15 && stat >> field; ++i)
        if (i == 14 || i == 15)
            ticks += std::stod(field);
    return ticks / double(sysconf(_SC_CLK_TCK));
}

double SelfCpu(int who = RUSAGE_SELF) {
    rusage usage{};
    getrusage(who, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// Moves a panel every frame period until stopped. The moves keep to a grid of periods, so the
// time spent painting does not stretch the period and leave frame slots without a change.
class MovingPanel {
public:
    explicit MovingPanel(const QByteArray& display)
        : Thread([this, display] {
              XPainter painter(display);
              painter.PaintBlocks(0, 0, 120, std::vector<uint32_t>(120 * 68, 0x3A6EA5));
              const auto start = std::chrono::steady_clock::now();
              for (int f = 0; !Stop; ++f) {
                  painter.PaintBlocks((f * 12) % 1600, 300 + (f * 5) % 500, 16,
                                      std::vector<uint32_t>(256, 0x101010u * uint32_t(f % 15)));
                  std::this_thread::sleep_until(
                      start + std::chrono::microseconds(int64_t(f + 1) * 1000000 / Fps));
              }
              Cpu = SelfCpu(RUSAGE_THREAD);
          }) {}
    ~MovingPanel() { Finish(); }
    // Stops the painting; the CPU seconds the painting thread used.
    double Finish() {
        Stop = true;
        if (Thread.joinable())
            Thread.join();
        return Cpu;
    }

private:
    std::atomic<bool> Stop{false};
    double Cpu = 0;
    std::thread Thread;
};

void BM_RecordScreenTvf(benchmark::State& state) {
    const int seconds = int(state.range(0));
    for (auto _ : state) {
        OwnXServer server({}, "1920x1080x24");
        QTemporaryDir dir;
        const QString base = dir.filePath("screen");
        MovingPanel panel(server.Display);
        TMFScreenRecorder recorder;
        recorder.Display = server.Display;
        recorder.Breadcrumb = [](const QString&) {};
        recorder.SetParams(QRect(0, 0, 1920, 1080), base, ScreenModeTVF, false,
                           CaptureMethodChanges, Fps, 80, 0, nullptr);
        const double cpu0 = SelfCpu(), x0 = ProcessCpu(server.Pid());
        recorder.StartRecord();
        const int64_t start = CaptureClockMs();
        recorder.SetStartTime(start);
        recorder.SetRecording(true);
        std::this_thread::sleep_for(std::chrono::seconds(seconds));
        recorder.SetRecording(false);
        recorder.SetPauseTime(CaptureClockMs());
        recorder.Terminate();
        recorder.StopRecord();
        // The painting thread runs in this process; its share is not the recorder's.
        const double painting = panel.Finish();
        const double cpu = SelfCpu() - cpu0 - painting, xcpu = ProcessCpu(server.Pid()) - x0;
        TVideoReaderTVC reader;
        reader.OpenFile(base + ".tvf");
        const int slots = reader.DurationMs() * Fps / 1000;
        state.counters["frames"] = reader.NrFrames();
        state.counters["dropped_slots"] = std::max(0, slots - reader.NrFrames());
        state.counters["cpu_ms_per_frame"] = 1000 * (cpu + xcpu) / std::max(1, reader.NrFrames());
        state.counters["xserver_cpu_ms_per_frame"] = 1000 * xcpu / std::max(1, reader.NrFrames());
    }
}

// ffmpeg grabbing the moving screen with x11grab at `fps` into `codec` arguments, for
// `seconds`: its CPU per frame together with the X server's, and the slots without a frame.
void RunFfmpegX11grab(benchmark::State& state, int seconds, int fps, const QStringList& codec) {
    OwnXServer server({}, "1920x1080x24");
    QTemporaryDir dir;
    MovingPanel panel(server.Display);
    const double x0 = ProcessCpu(server.Pid()), children0 = SelfCpu(RUSAGE_CHILDREN);
    QProcess ffmpeg;
    ffmpeg.start("ffmpeg",
                 QStringList{"-hide_banner", "-nostats", "-y", "-f", "x11grab", "-framerate",
                             QString::number(fps), "-video_size", "1920x1080", "-i",
                             QString::fromLatin1(server.Display), "-t", QString::number(seconds)} +
                     codec + QStringList{dir.filePath("peer.mkv")});
    ffmpeg.waitForFinished(seconds * 1000 + 60000);
    const double xcpu = ProcessCpu(server.Pid()) - x0;
    const double cpu = SelfCpu(RUSAGE_CHILDREN) - children0;
    QProcess probe;
    probe.start("ffprobe",
                {"-v", "error", "-count_frames", "-select_streams", "v:0", "-show_entries",
                 "stream=nb_read_frames", "-of", "csv=p=0", dir.filePath("peer.mkv")});
    probe.waitForFinished(60000);
    const int frames = probe.readAllStandardOutput().trimmed().toInt();
    state.counters["frames"] = frames;
    state.counters["dropped_slots"] = std::max(0, seconds * fps - frames);
    state.counters["cpu_ms_per_frame"] = 1000 * (cpu + xcpu) / std::max(1, frames);
    state.counters["xserver_cpu_ms_per_frame"] = 1000 * xcpu / std::max(1, frames);
}

void BM_FfmpegX11grab(benchmark::State& state) {
    for (auto _ : state)
        RunFfmpegX11grab(state, int(state.range(0)), Fps,
                         {"-c:v", "libx264rgb", "-qp", "0", "-preset", "ultrafast"});
}

// The live recorder writing H.264 at 30 fps from the whole screen (mode 255, with the cursor
// worker), beside ffmpeg's libx264 at the same bit rate.
constexpr int LiveFps = 30;

void BM_RecordScreenLiveH264(benchmark::State& state) {
    const int seconds = int(state.range(0));
    for (auto _ : state) {
        OwnXServer server({}, "1920x1080x24");
        QTemporaryDir dir;
        MovingPanel panel(server.Display);
        TRVideoRecorderOptions o;
        o.RecordScreen = true;
        o.ScreenWidth = 1920, o.ScreenHeight = 1080;
        o.OutputFileName = dir.filePath("live");
        o.OutputFramePS = LiveFps;
        TRVideoRecorder recorder;
        recorder.Breadcrumb = [](const QString&) {};
        recorder.SetParams(o);
        const double cpu0 = SelfCpu(), x0 = ProcessCpu(server.Pid());
        recorder.Start();
        TMFScreenRecorder screen;
        screen.Display = server.Display;
        screen.Breadcrumb = [](const QString&) {};
        screen.SetParams(QRect(0, 0, 1920, 1080), o.OutputFileName, ScreenModeLive, false,
                         CaptureMethodChanges, LiveFps, 80, 0, recorder.VideoRecorderThread());
        screen.StartRecord();
        recorder.SetCursorRecorderThread(screen.CursorRecorderThread());
        const int64_t start = CaptureClockMs();
        screen.SetStartTime(start);
        recorder.SetStartTime(start);
        screen.SetRecording(true);
        recorder.SetRecording(true);
        std::this_thread::sleep_for(std::chrono::seconds(seconds));
        recorder.SetCursorRecorderThread(nullptr);
        screen.Terminate();
        screen.StopRecord();
        recorder.Stop();
        const double painting = panel.Finish();
        const double cpu = SelfCpu() - cpu0 - painting, xcpu = ProcessCpu(server.Pid()) - x0;
        TVideoReaderEx reader(recorder.FileName());
        const int frames = reader.IsValid() ? reader.Reader()->FNrFrames : 0;
        state.counters["frames"] = frames;
        state.counters["dropped_slots"] = std::max(0, seconds * LiveFps - frames);
        state.counters["cpu_ms_per_frame"] = 1000 * (cpu + xcpu) / std::max(1, frames);
        state.counters["xserver_cpu_ms_per_frame"] = 1000 * xcpu / std::max(1, frames);
    }
}

void BM_FfmpegX11grabH264(benchmark::State& state) {
    const QString rate = QString::number(BitRateForHeight(1080));
    for (auto _ : state)
        RunFfmpegX11grab(state, int(state.range(0)), LiveFps,
                         {"-c:v", "libx264", "-preset", "ultrafast", "-b:v", rate});
}

BENCHMARK(BM_RecordScreenTvf)->Arg(10)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();
BENCHMARK(BM_FfmpegX11grab)->Arg(10)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();
BENCHMARK(BM_RecordScreenLiveH264)->Arg(10)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();
BENCHMARK(BM_FfmpegX11grabH264)->Arg(10)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
