// Painting a 1920 x 1080 project frame with 15 objects (filled shapes and pictures), in frames
// per second, beside the same picture painted with plain QPainter.
#include "tests/core/PaintTestSupport.h"

#include <QPainter>
#include <benchmark/benchmark.h>

using namespace painttest;

namespace {

constexpr int Width = 1920, Height = 1080, Objects = 15;

// A picture object: draws its bitmap, scaled, at its placement.
class Picture : public TRObject {
public:
    Picture(TRProject* project, QPointF at, BitmapPtr bitmap)
        : TRObject(project, otImage), bitmap_(std::move(bitmap)) {
        auto* placement = Get<TRPropPlacement>(ptPlacement, true);
        placement->FPosition = at;
        placement->FSize = QSizeF(480, 270);
        SetTimeEnd(10000);
    }
    void PaintOnScene(bool, bool) override {
        DeviceContext* dc = SceneContext();
        auto* placement = Get<TRPropPlacement>(ptPlacement);
        const QRectF r = placement->GetBoundsRect().translated(placement->FPosition);
        dc->drawBitmap(*bitmap_, ToRectF(r));
    }

private:
    BitmapPtr bitmap_;
};

QPointF Spot(int i) {
    return QPointF(-800 + (i % 5) * 400, -350 + (i / 5) * 350);
}

BitmapPtr Photo() {
    QImage image(640, 360, QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            image.setPixel(x, y, qRgb(x % 256, y % 256, (x + y) % 256));
    return Bitmap::fromImage(image);
}

void BM_ProjectFrame(benchmark::State& state) {
    DeviceContextPtr dc = DeviceContext::create(Factory::create());
    InstallScene(dc.get());
    auto project = NewProject(Width, Height, 0x202020);
    const BitmapPtr photo = Photo();
    for (int i = 0; i < Objects; ++i) {
        if (i % 2)
            project->AddObject(std::make_unique<Picture>(project.get(), Spot(i), photo));
        else
            AddShape(*project, Spot(i), QSizeF(300, 200), 0x3060C0 + i * 8);
    }
    project->Exporting = true;
    project->SetTimePosition(1000);
    BitmapPtr target = BeginScene(*dc, Width, Height);
    dc->endDraw();
    for (auto _ : state) {
        dc->beginDraw();
        project->PaintOnScene(false, true, true, nullptr);
        dc->endDraw();
        benchmark::DoNotOptimize(target->image().constBits());
    }
    state.counters["frames/s"] =
        benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_ProjectFrame)->Unit(benchmark::kMillisecond)->UseRealTime();

// The same picture with QPainter on one thread, for comparison.
void BM_QPainterFrame(benchmark::State& state) {
    QImage target(Width, Height, QImage::Format_ARGB32_Premultiplied);
    const QImage photo = Photo()->image();
    for (auto _ : state) {
        target.fill(Qt::transparent);
        QPainter p(&target);
        p.setRenderHint(QPainter::SmoothPixmapTransform);
        p.translate(Width / 2, Height / 2);
        p.fillRect(QRectF(-Width / 2, -Height / 2, Width, Height), QColor(0x20, 0x20, 0x20));
        for (int i = 0; i < Objects; ++i) {
            const QPointF at = Spot(i);
            if (i % 2)
                p.drawImage(QRectF(at.x() - 240, at.y() - 135, 480, 270), photo);
            else
                p.fillRect(QRectF(at.x() - 150, at.y() - 100, 300, 200), QColor(0xC0, 0x60, 0x30));
        }
        p.end();
        benchmark::DoNotOptimize(target.constBits());
    }
    state.counters["frames/s"] =
        benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_QPainterFrame)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
