// The live compositor's frame: p50 and p99 of ComposeFrame for a 1080p screen with the pointer,
// the magnifier and two click rings, and for a 720p camera cut to a circle and chroma-keyed over
// a blurred background. A frame must stay well inside a 60-fps slot (16 ms).
#include "capture/URVideoCompositor.h"
#include "platform/imaging/ImageFile.h"

#include <QImage>
#include <QTemporaryDir>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <chrono>

namespace {

// A pointer moving across the screen with a 32 × 32 shape and clicks 100 ms before the frame.
class MovingCursor : public TRCursorSource {
public:
    bool GetCursor(int time, TCursorRecord& cursor, TPointerShape& pointer, TCursorRecord& left,
                   TCursorRecord& right) override {
        cursor.Position = {200 + time % 1500, 300 + time % 600};
        pointer.Width = pointer.Height = 32;
        pointer.Pitch = 128;
        pointer.HotSpot = {4, 4};
        pointer.PointerShapeBuffer = Shape;
        left = {time - 100, cursor.Position + QPoint(10, 10), 2, 0};
        right = {time - 150, cursor.Position - QPoint(40, 20), 8, 0};
        return true;
    }
    QByteArray Shape = QByteArray(32 * 32 * 4, char(0xC0));
};

// A desktop-like picture: bands of colour with fine detail.
std::vector<uint8_t> Desktop(int w, int h) {
    std::vector<uint8_t> bytes(size_t(w) * size_t(h) * 4);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            uint8_t* p = bytes.data() + (size_t(y) * size_t(w) + size_t(x)) * 4;
            p[0] = uint8_t(x * 3 + y), p[1] = uint8_t(y / 4 * 16), p[2] = uint8_t(x ^ y);
            p[3] = 255;
        }
    return bytes;
}

// Times every frame and reports the median and the 99th percentile in milliseconds.
void ReportPercentiles(benchmark::State& state, TRVideoCompositor& compositor,
                       TRCursorSource* cursor) {
    std::vector<double> ms;
    int time = 0;
    for (auto _ : state) {
        const auto t0 = std::chrono::steady_clock::now();
        compositor.ComposeFrame(time, cursor);
        ms.push_back(
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0)
                .count());
        time += 33;
    }
    std::sort(ms.begin(), ms.end());
    state.counters["p50_ms"] = ms[ms.size() / 2];
    state.counters["p99_ms"] = ms[std::min(ms.size() - 1, ms.size() * 99 / 100)];
    state.counters["frames_per_s"] =
        benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
}

void BM_ComposeScreen1080(benchmark::State& state) {
    TRVideoRecorderOptions o;
    o.RecordScreen = true;
    o.ScreenWidth = 1920, o.ScreenHeight = 1080;
    o.ShowCursor = true, o.ScaleCursor = 150;
    o.CursorEffect = true, o.CEId = 1, o.CESize = 120, o.CEZoom = 2;
    o.LeftClick = o.RightClick = true;
    o.LESize = o.RESize = 40, o.LEDuration = o.REDuration = 400;
    TRVideoCompositor compositor(o);
    if (!compositor.InitGraphics()) {
        state.SkipWithError("no compositor");
        return;
    }
    compositor.SetScreenPicture(Desktop(1920, 1080).data());
    MovingCursor cursor;
    ReportPercentiles(state, compositor, &cursor);
}

void BM_ComposeCamera720(benchmark::State& state) {
    QTemporaryDir dir;
    const QString back = dir.filePath("back.jpg");
    QImage image(Desktop(1280, 720).data(), 1280, 720, QImage::Format_ARGB32);
    if (!platform::imaging::writeImage(back, image, 90).isEmpty()) {
        state.SkipWithError("no background");
        return;
    }
    TRVideoRecorderOptions o;
    o.RecordCamera = true;
    o.CameraWidth = 1280, o.CameraHeight = 720, o.CameraScale = 9, o.CameraMask = 3;
    o.CameraChroma = true, o.CameraChColor = 0x00FF00, o.CameraChTol = 20;
    o.CameraBack = true, o.CameraBackFile = back, o.CameraBackScaleMode = 3, o.CameraBackBlur = 8;
    o.CameraBorderWidth = 4;
    TRVideoCompositor compositor(o);
    if (!compositor.InitGraphics()) {
        state.SkipWithError("no compositor");
        return;
    }
    // A green screen with a person-sized block in the middle.
    std::vector<uint8_t> camera = Desktop(1280, 720);
    for (int y = 0; y < 720; ++y)
        for (int x = 0; x < 1280; ++x)
            if (x < 400 || x > 880) {
                uint8_t* p = camera.data() + (size_t(y) * 1280 + size_t(x)) * 4;
                p[0] = 0, p[1] = 255, p[2] = 0;
            }
    compositor.SetCameraPicture(camera.data());
    ReportPercentiles(state, compositor, nullptr);
}

BENCHMARK(BM_ComposeScreen1080)->Unit(benchmark::kMillisecond)->MinTime(2);
BENCHMARK(BM_ComposeCamera720)->Unit(benchmark::kMillisecond)->MinTime(2);

} // namespace

BENCHMARK_MAIN();
