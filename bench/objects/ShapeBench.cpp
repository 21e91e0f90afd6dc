// A full-HD frame of the 36 shape kinds in a 6 x 6 grid, each filled and bordered 4 wide: the
// 2-D engine building every outline and drawing it, against plain single-threaded QPainter
// filling and stroking the same paths (built once, so QPainter is spared the construction).
// Reported in frames per second.
#include "objects/URPropShape.h"
#include "objects/URShapeKinds.h"
#include "platform/render/Brush.h"
#include "platform/render/DeviceContext.h"
#include "platform/render/Factory.h"

#include <QImage>
#include <QPainter>
#include <benchmark/benchmark.h>
#include <vector>

using namespace platform::render;

namespace {

constexpr int kWidth = 1920, kHeight = 1080, kColumns = 6;
constexpr float kBorder = 4;

// The shape rectangle of catalogue row `row`: its grid cell less a margin.
QRectF CellRect(int row) {
    const double w = double(kWidth) / kColumns, h = double(kHeight) / kColumns;
    return QRectF(row % kColumns * w + 20, row / kColumns * h + 20, w - 40, h - 40);
}

GeometryPtr Outline(TRPropShape& shape, int row) {
    shape.FShapeName = QString::fromLatin1(ShapeKinds[row].Name);
    shape.FRoundness = ShapeKinds[row].DefaultAdjust;
    return shape.GetGeometry(CellRect(row), -1);
}

void BM_Shapes_Engine(benchmark::State& state) {
    auto context = DeviceContext::create(Factory::create());
    context->setTarget(Bitmap::create({kWidth, kHeight},
                                      {AlphaMode::Premultiplied, 96, 96, BitmapOptions::Target}));
    const auto fill = SolidColorBrush::create({0.2f, 0.4f, 0.9f, 1}, 0.8f);
    const auto line = SolidColorBrush::create({1, 1, 1, 1});
    TRPropShape shape;
    for (auto _ : state) {
        context->beginDraw();
        context->clear({0, 0, 0, 1});
        for (int row = 0; row < ShapeKindCount; ++row) {
            const GeometryPtr g = Outline(shape, row);
            context->fillGeometry(*g, *fill);
            context->drawGeometry(*g, *line, kBorder);
        }
        context->endDraw();
    }
    state.counters["frames/s"] =
        benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
}

void BM_Shapes_QPainter(benchmark::State& state) {
    QImage target(kWidth, kHeight, QImage::Format_ARGB32_Premultiplied);
    std::vector<GeometryPtr> outlines;
    TRPropShape shape;
    for (int row = 0; row < ShapeKindCount; ++row)
        outlines.push_back(Outline(shape, row));
    QColor fill = QColor::fromRgbF(0.2f, 0.4f, 0.9f);
    fill.setAlphaF(0.8f);
    const QPen pen(Qt::white, kBorder, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin);
    for (auto _ : state) {
        target.fill(Qt::black);
        QPainter p(&target);
        p.setRenderHint(QPainter::Antialiasing);
        for (const GeometryPtr& g : outlines) {
            p.fillPath(g->path(), fill);
            p.strokePath(g->strokePath(), pen);
        }
    }
    state.counters["frames/s"] =
        benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
}

} // namespace

BENCHMARK(BM_Shapes_Engine)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Shapes_QPainter)->UseRealTime()->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
