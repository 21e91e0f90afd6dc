// The 2-D engine against plain single-threaded QPainter doing the same work on the same
// frames: compositing a scaled and rotated full-HD bitmap, filling a curved path, and drawing
// the output of a two-effect chain. Reported in megapixels of target per second.
#include "platform/render/BuiltinEffects.h"
#include "platform/render/DeviceContext.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <benchmark/benchmark.h>

using namespace platform::render;

namespace {

constexpr uint32_t kWidth = 1920;
constexpr uint32_t kHeight = 1080;
constexpr double kFrameMegapixels = kWidth * kHeight / 1e6;

QImage testPattern() {
    QImage image(int(kWidth), int(kHeight), QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < image.height(); ++y) {
        auto* row = reinterpret_cast<uint32_t*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x)
            row[x] = 0xff000000u | uint32_t(x & 255) << 16 | uint32_t(y & 255) << 8 |
                     uint32_t((x ^ y) & 255);
    }
    return image;
}

Matrix3x2 scaledAndRotated() {
    const PointF centre{kWidth / 2.0f, kHeight / 2.0f};
    return Matrix3x2::scale(0.8f, 0.8f, centre) * Matrix3x2::rotation(10, centre);
}

GeometryPtr curvedPath() {
    PathBuilder b;
    b.setFillMode(FillMode::Winding);
    b.beginFigure({100, 540});
    b.addBezier({{400, -200}, {1500, -200}, {1820, 540}});
    b.addArc({{100, 540}, {860, 500}, 0, SweepDirection::Clockwise, ArcSize::Small});
    b.endFigure(FigureEnd::Closed);
    return b.close();
}

void reportMegapixels(benchmark::State& state) {
    state.counters["MP/s"] = benchmark::Counter(double(state.iterations()) * kFrameMegapixels,
                                                benchmark::Counter::kIsRate);
}

struct EngineFrame {
    EngineFrame()
        : context(DeviceContext::create(Factory::create())),
          target(Bitmap::create({kWidth, kHeight},
                                {AlphaMode::Premultiplied, 96, 96, BitmapOptions::Target})),
          source(Bitmap::fromImage(testPattern())) {
        context->setTarget(target);
    }
    DeviceContextPtr context;
    BitmapPtr target;
    BitmapPtr source;
};

struct QtFrame {
    QImage target{int(kWidth), int(kHeight), QImage::Format_ARGB32_Premultiplied};
    QImage source = testPattern();
};

void BM_Composite_Engine(benchmark::State& state) {
    EngineFrame f;
    for (auto _ : state) {
        f.context->beginDraw();
        f.context->clear({0, 0, 0, 1});
        f.context->setTransform(scaledAndRotated());
        f.context->drawBitmap(*f.source);
        f.context->setTransform({});
        f.context->endDraw();
    }
    reportMegapixels(state);
}

void BM_Composite_QPainter(benchmark::State& state) {
    QtFrame f;
    for (auto _ : state) {
        f.target.fill(Qt::black);
        QPainter p(&f.target);
        p.setRenderHint(QPainter::SmoothPixmapTransform);
        p.setTransform(scaledAndRotated().toQTransform());
        p.drawImage(QRectF(0, 0, kWidth, kHeight), f.source, QRectF(0, 0, kWidth, kHeight));
    }
    reportMegapixels(state);
}

void BM_FillPath_Engine(benchmark::State& state) {
    EngineFrame f;
    const GeometryPtr path = curvedPath();
    const auto brush = LinearGradientBrush::create(
        {0, 0}, {kWidth, kHeight},
        GradientStopCollection::create({{0, {1, 0, 0, 1}}, {1, {0, 0, 1, 0.5f}}}));
    for (auto _ : state) {
        f.context->beginDraw();
        f.context->clear({0, 0, 0, 1});
        f.context->fillGeometry(*path, *brush);
        f.context->endDraw();
    }
    reportMegapixels(state);
}

void BM_FillPath_QPainter(benchmark::State& state) {
    QtFrame f;
    const QPainterPath path = curvedPath()->path();
    QLinearGradient gradient(0, 0, kWidth, kHeight);
    gradient.setColorAt(0, QColor::fromRgbF(1, 0, 0, 1));
    gradient.setColorAt(1, QColor::fromRgbF(0, 0, 1, 0.5));
    for (auto _ : state) {
        f.target.fill(Qt::black);
        QPainter p(&f.target);
        p.setRenderHint(QPainter::Antialiasing);
        p.fillPath(path, gradient);
    }
    reportMegapixels(state);
}

// A frame moved by an offset and composited over a background: two effects, drawn whole.
void BM_EffectChain_Engine(benchmark::State& state) {
    EngineFrame f;
    const BitmapPtr background = Bitmap::fromImage(testPattern().mirrored());
    const EffectPtr offset = f.context->createEffect(effects::Offset);
    const EffectPtr composite = f.context->createEffect(effects::Composite);
    offset->setInput(0, f.source);
    offset->setValue(effects::OffsetAmount, Vector2{37, 21});
    composite->setInput(0, background);
    composite->setInput(1, offset->output());
    for (auto _ : state) {
        f.context->beginDraw();
        f.context->drawImage(*composite);
        f.context->endDraw();
    }
    reportMegapixels(state);
}

void BM_EffectChain_QPainter(benchmark::State& state) {
    QtFrame f;
    const QImage background = testPattern().mirrored();
    for (auto _ : state) {
        QPainter p(&f.target);
        p.setCompositionMode(QPainter::CompositionMode_Source);
        p.drawImage(0, 0, background);
        p.setCompositionMode(QPainter::CompositionMode_SourceOver);
        p.drawImage(37, 21, f.source);
    }
    reportMegapixels(state);
}

} // namespace

BENCHMARK(BM_Composite_Engine)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Composite_QPainter)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FillPath_Engine)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FillPath_QPainter)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EffectChain_Engine)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EffectChain_QPainter)->UseRealTime()->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM",
            qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
