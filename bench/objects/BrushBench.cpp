// The fill group's brushes: building a brush (stop collection included), and filling a
// 1920 x 1080 picture with a four-stop linear gradient through the device context, beside
// QPainter filling the same picture with a QLinearGradient, in pictures per second.
#include "objects/URPropBackgroundFill.h"
#include "platform/render/Bitmap.h"
#include "platform/render/DeviceContext.h"
#include "platform/render/Factory.h"

#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <benchmark/benchmark.h>

using namespace platform::render;

namespace {

constexpr int kWidth = 1920;
constexpr int kHeight = 1080;

DeviceContextPtr& Context() {
    static DeviceContextPtr context;
    return context;
}

// Four stops at 30 degrees, partly transparent.
void FourStops(TRPropBackgroundFill& fill) {
    fill.FBrushStyle = brsGradientLinear;
    fill.FRotation = 30;
    fill.FColors.BeginAddColors();
    fill.FColors.AddColor(0x2040C0, 0, 1);
    fill.FColors.AddColor(0x00FFFF, 0.3f, 0.8f);
    fill.FColors.AddColor(0xFF0080, 0.7f, 1);
    fill.FColors.AddColor(0x101010, 1, 0.5f);
    fill.FColors.EndAddColors();
}

void BM_Brush(benchmark::State& state) {
    TRPropBackgroundFill fill;
    FourStops(fill);
    for (auto _ : state)
        benchmark::DoNotOptimize(fill.Brush(kWidth, kHeight, false));
    state.counters["brushes"] =
        benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
}

void BM_GradientFill(benchmark::State& state) {
    TRPropBackgroundFill fill;
    FourStops(fill);
    const BitmapPtr target = Bitmap::create({kWidth, kHeight}, {.options = BitmapOptions::Target});
    DeviceContext& dc = *Context();
    dc.setTarget(target);
    for (auto _ : state) {
        dc.beginDraw();
        dc.fillRectangle(RectF::fromXYWH(0, 0, kWidth, kHeight),
                         *fill.Brush(kWidth, kHeight, false));
        dc.endDraw();
    }
    dc.setTarget(nullptr);
    state.counters["fps"] =
        benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
}

// The same gradient with QPainter straight into a picture.
void BM_QPainterGradientFill(benchmark::State& state) {
    QImage image(kWidth, kHeight, QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        QPainter painter(&image);
        QLinearGradient gradient(0, 0, kWidth, 0);
        gradient.setColorAt(0, QColor(0xC0, 0x40, 0x20));
        gradient.setColorAt(0.3, QColor(0xFF, 0xFF, 0x00, 204));
        gradient.setColorAt(0.7, QColor(0x80, 0x00, 0xFF));
        gradient.setColorAt(1, QColor(0x10, 0x10, 0x10, 128));
        QBrush brush(gradient);
        QTransform turn;
        turn.translate(kWidth / 2.0, kHeight / 2.0);
        turn.rotate(60);
        turn.translate(-kWidth / 2.0, -kHeight / 2.0);
        brush.setTransform(turn);
        painter.fillRect(image.rect(), brush);
    }
    state.counters["fps"] =
        benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
}

BENCHMARK(BM_Brush);
BENCHMARK(BM_GradientFill)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_QPainterGradientFill)->UseRealTime()->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM",
            qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QGuiApplication app(argc, argv);
    Context() = DeviceContext::create(Factory::create());
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    Context().reset();
}
