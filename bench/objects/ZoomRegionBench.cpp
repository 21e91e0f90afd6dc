// Scene objects that read the frame back, on a full-HD desktop-like frame, in frames per second:
// a whole project frame with twenty objects, a blurring video-effect region and a zoom area
// magnifying part of it (goal: 30 frames per second); and the region alone beside ffmpeg's
// crop, gblur and overlay filters blurring the same rectangle of the same frame (goal: within
// 1.5 times ffmpeg's time).
#include "bench/support/DesktopContent.h"
#include "bench/support/FfmpegFilterRun.h"
#include "core/URProject.h"
#include "core/URSettings.h"
#include "graphics/URCustomEffects.h"
#include "graphics/URDX12Base.h"
#include "graphics/URPropEffect.h"
#include "objects/URObjectsRegistry.h"
#include "objects/URPropPlacement.h"
#include "objects/URPropZoomSource.h"
#include "objects/kinds/URBlur.h"
#include "objects/kinds/URImage.h"
#include "objects/kinds/URKindsRegistry.h"
#include "objects/kinds/URShape.h"
#include "objects/kinds/URZoomArea.h"

#include <QGuiApplication>
#include <benchmark/benchmark.h>

using namespace platform::render;

namespace {

constexpr int kWidth = 1920, kHeight = 1080;
// The blurred rectangle: 400 x 300 at (760, 390), a standard deviation of 5.
constexpr int kRegionW = 400, kRegionH = 300, kRegionX = 760, kRegionY = 390;
constexpr float kIntensity = 0.25f;

QImage Desktop() {
    const DesktopContent content(kWidth, kHeight);
    const std::vector<uint8_t> bgra = content.frame(0);
    return QImage(bgra.data(), kWidth, kHeight, QImage::Format_ARGB32_Premultiplied).copy();
}

template <class Kind> Kind& Add(TRProject& project, TRObjectType type, QPointF at, QSizeF size) {
    auto object = std::make_unique<Kind>(&project, type);
    object->SetTimeEnd(10000);
    auto* p = object->template Get<TRPropPlacement>(ptPlacement, true);
    p->FPosition = at;
    p->FSize = size;
    return static_cast<Kind&>(*project.AddObject(std::move(object)));
}

class Scene {
public:
    Scene() {
        SetDefaultSettings(SettingsRecord);
        RegisterEngineKinds();
        RegisterDrawableKinds();
        InitDX();
        for (const TRCustomEffectRegistration& r : CustomEffectRegistrations())
            r.registerEffect();
        project_.SetProjectSize(kWidth, kHeight);
        project_.Exporting = true;
        target_ = Bitmap::create({kWidth, kHeight},
                                 {AlphaMode::Premultiplied, 96, 96, BitmapOptions::Target});
    }

    // A blur region over the benchmark's rectangle.
    TRBlur& AddRegion() {
        auto& region = Add<TRBlur>(
            project_, otBlur,
            {kRegionX + kRegionW / 2.0 - kWidth / 2.0, kRegionY + kRegionH / 2.0 - kHeight / 2.0},
            {kRegionW, kRegionH});
        auto* effect = region.Get<TRPropEffect>(ptEffect, true);
        effect->FEffectName = "Gaussian Blur";
        effect->FIntensity = kIntensity;
        return region;
    }

    // The desktop picture and nineteen shapes and texts: twenty objects.
    void AddTwentyObjects() {
        auto& picture = Add<TRImage>(project_, otImage, {0, 0}, {kWidth, kHeight});
        picture.FMediaBitmap = Bitmap::fromImage(Desktop());
        for (TRPropertyType off : {ptBackgroundBorder, ptShadow, ptReflection})
            picture.GetProperty(off, true)->SetChecked(false);
        for (int i = 0; i < 19; ++i) {
            const QPointF at(-860.0 + (i % 10) * 190, i < 10 ? -420 : 420);
            if (i % 2)
                Add<TRText>(project_, otText, at, {160, 90});
            else
                Add<TRShape>(project_, otShape, at, {160, 90});
        }
    }

    void AddZoomArea() {
        auto& area = Add<TRZoomArea>(project_, otZoomArea, {480, -200}, {640, 360});
        auto* source = area.Get<TRPropZoomSource>(ptZoomSource, true);
        source->FZoom = 2;
        source->FCenterX = -0.2f;
        source->FCenterY = 0.1f;
    }

    void Paint() {
        D2DContext->setTarget(target_);
        D2DContext->beginDraw();
        D2DContext->setTransform(Matrix3x2::translation(kWidth / 2.0f, kHeight / 2.0f));
        project_.PaintOnVideo(500, 0);
        D2DContext->endDraw();
    }

    TRProject project_;
    BitmapPtr target_;
};

void ReportFrames(benchmark::State& state, int framesPerIteration = 1) {
    state.counters["fps"] = benchmark::Counter(double(state.iterations()) * framesPerIteration,
                                               benchmark::Counter::kIsRate);
}

void BM_Frame_ZoomAreaOverTwentyObjectsAndRegion(benchmark::State& state) {
    Scene scene;
    scene.AddTwentyObjects();
    scene.AddRegion();
    scene.AddZoomArea();
    for (auto _ : state)
        scene.Paint();
    ReportFrames(state);
}

// The region on a target that holds the desktop frame: the frame is copied in (as ffmpeg reads
// it) and the region painted over it.
void BM_Region_Engine(benchmark::State& state) {
    Scene scene;
    TRBlur& region = scene.AddRegion();
    region.SetTimePosition(500);
    const BitmapPtr frame = Bitmap::fromImage(Desktop());
    for (auto _ : state) {
        scene.target_->copyFromBitmap({0, 0}, *frame);
        D2DContext->setTarget(scene.target_);
        D2DContext->beginDraw();
        D2DContext->setTransform(Matrix3x2::translation(kWidth / 2.0f, kHeight / 2.0f));
        region.PaintOnScene(false, true);
        D2DContext->endDraw();
    }
    ReportFrames(state);
}

void BM_Region_FfmpegCropGblurOverlay(benchmark::State& state) {
    const FfmpegFilterRun run(
        Desktop(), 30,
        QString("[0:v]format=gbrap,split[a][b];[b]crop=%1:%2:%3:%4,gblur=sigma=%5[c];"
                "[a][c]overlay=%3:%4:format=gbrp")
            .arg(kRegionW)
            .arg(kRegionH)
            .arg(kRegionX)
            .arg(kRegionY)
            .arg(double(kIntensity) * 20));
    if (!run.Problem().isEmpty()) {
        state.SkipWithError(run.Problem().toStdString().c_str());
        return;
    }
    for (auto _ : state) {
        const double seconds = run.RunSeconds();
        if (seconds < 0) {
            state.SkipWithError("ffmpeg failed");
            return;
        }
        state.SetIterationTime(seconds);
    }
    ReportFrames(state, run.Frames());
}

} // namespace

BENCHMARK(BM_Frame_ZoomAreaOverTwentyObjectsAndRegion)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(BM_Region_Engine)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Region_FfmpegCropGblurOverlay)->Unit(benchmark::kMillisecond)->UseManualTime();

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
