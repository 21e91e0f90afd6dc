// Drawable kinds on a full-HD frame, in frames per second: a whole project frame with one
// fitted picture (mask, border, shadow) and ten shapes and texts; and one 1920 x 1080 picture
// fitted to 1280 x 720 and composited, beside ffmpeg's scale and overlay filters doing the same
// to the same picture (when the ffmpeg program is found). The kinds that read the frame back:
// a frame of twenty objects, a blurring video-effect region and a zoom area magnifying part of
// it (goal: 30 frames per second); and the region alone beside ffmpeg's crop, gblur and overlay
// blurring the same rectangle of the same frame (goal: within 1.5 times ffmpeg's time).
#include "bench/support/FfmpegRawRun.h"
#include "core/URProject.h"
#include "core/URSettings.h"
#include "graphics/URCustomEffects.h"
#include "graphics/URDX12Base.h"
#include "graphics/URPropEffect.h"
#include "objects/URObjectsRegistry.h"
#include "objects/URPropMask.h"
#include "objects/URPropPlacement.h"
#include "objects/URPropText.h"
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
constexpr float kRegionIntensity = 0.25f;

// A picture with some detail: diagonal colour bands.
QImage Photo() {
    QImage image(kWidth, kHeight, QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < kHeight; ++y) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < kWidth; ++x)
            row[x] = qRgb((x + y) & 255, (x * 3) & 255, (y * 5) & 255);
    }
    return image;
}

void Place(TRObject& object, QPointF position, QSizeF size) {
    auto* p = object.Get<TRPropPlacement>(ptPlacement, true);
    p->FPosition = position;
    p->FSize = size;
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
        target_ = Bitmap::create({kWidth, kHeight},
                                 {AlphaMode::Premultiplied, 96, 96, BitmapOptions::Target});
    }

    TRImage& AddPicture(QPointF position, QSizeF size) {
        auto image = std::make_unique<TRImage>(&project_, otImage);
        image->SetTimeEnd(10000);
        image->FMediaBitmap = Bitmap::fromImage(Photo());
        Place(*image, position, size);
        return static_cast<TRImage&>(*project_.AddObject(std::move(image)));
    }

    // Rows of ten along the bottom, then the top edge.
    void AddShapesAndTexts(int count = 10) {
        for (int i = 0; i < count; ++i) {
            std::unique_ptr<TRObject> object;
            if (i % 2)
                object = std::make_unique<TRText>(&project_, otText);
            else
                object = std::make_unique<TRShape>(&project_, otShape);
            object->SetTimeEnd(10000);
            Place(*object, {-800.0 + (i % 10) * 170, i < 10 ? 400.0 : -400.0}, {150, 100});
            project_.AddObject(std::move(object));
        }
    }

    // A blur region over the benchmark's rectangle.
    TRBlur& AddRegion() {
        auto region = std::make_unique<TRBlur>(&project_, otBlur);
        region->SetTimeEnd(10000);
        Place(*region,
              {kRegionX + kRegionW / 2.0 - kWidth / 2.0, kRegionY + kRegionH / 2.0 - kHeight / 2.0},
              {kRegionW, kRegionH});
        auto* effect = region->Get<TRPropEffect>(ptEffect, true);
        effect->FEffectName = "Gaussian Blur";
        effect->FIntensity = kRegionIntensity;
        return static_cast<TRBlur&>(*project_.AddObject(std::move(region)));
    }

    // A 640 x 360 zoom area magnifying twice the region around (-192, 54).
    void AddZoomArea() {
        auto area = std::make_unique<TRZoomArea>(&project_, otZoomArea);
        area->SetTimeEnd(10000);
        Place(*area, {480, -200}, {640, 360});
        auto* source = area->Get<TRPropZoomSource>(ptZoomSource, true);
        source->FZoom = 2;
        source->FCenterX = -0.2f;
        source->FCenterY = 0.1f;
        project_.AddObject(std::move(area));
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

void BM_Frame_PictureAndTenShapes(benchmark::State& state) {
    Scene scene;
    TRImage& picture = scene.AddPicture({0, -100}, {960, 540});
    picture.Get<TRPropMask>(ptMask, true)->FShapeName = "Rectangle IC";
    for (TRPropertyType on : {ptBackgroundBorder, ptShadow})
        picture.GetProperty(on, true)->SetChecked(true);
    scene.AddShapesAndTexts();
    for (auto _ : state)
        scene.Paint();
    ReportFrames(state);
}

void BM_FitAndComposite_Engine(benchmark::State& state) {
    Scene scene;
    TRImage& picture = scene.AddPicture({0, 0}, {1280, 720});
    for (TRPropertyType off : {ptBackgroundBorder, ptShadow, ptReflection})
        picture.GetProperty(off, true)->SetChecked(false);
    for (auto _ : state)
        scene.Paint();
    ReportFrames(state);
}

// ffmpeg running 30 copies of the raw picture through `graph`.
void RunFfmpeg(benchmark::State& state, const QString& graph) {
    constexpr int frames = 30;
    if (RunFfmpegOnRawFrames(state, Photo(), {"-filter_complex", graph}, frames))
        ReportFrames(state, frames);
}

// ffmpeg scaling the picture to 1280 x 720 and laying it on a black frame.
void BM_FitAndComposite_FfmpegScaleOverlay(benchmark::State& state) {
    RunFfmpeg(state, QString("color=black:s=%1x%2,format=bgra[bg];[0:v]scale=1280:720:"
                             "flags=bicubic[fg];[bg][fg]overlay=320:180:shortest=1")
                         .arg(kWidth)
                         .arg(kHeight));
}

void BM_Frame_ZoomAreaOverTwentyObjectsAndRegion(benchmark::State& state) {
    Scene scene;
    TRImage& picture = scene.AddPicture({0, 0}, {kWidth, kHeight});
    for (TRPropertyType off : {ptBackgroundBorder, ptShadow, ptReflection})
        picture.GetProperty(off, true)->SetChecked(false);
    scene.AddShapesAndTexts(19);
    scene.AddRegion();
    scene.AddZoomArea();
    for (auto _ : state)
        scene.Paint();
    ReportFrames(state);
}

// The region on a target that holds the picture: the picture is copied in (as ffmpeg reads it)
// and the region painted over it.
void BM_Region_Engine(benchmark::State& state) {
    Scene scene;
    TRBlur& region = scene.AddRegion();
    region.SetTimePosition(500);
    const BitmapPtr frame = Bitmap::fromImage(Photo());
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
    RunFfmpeg(state, QString("[0:v]format=gbrap,split[a][b];[b]crop=%1:%2:%3:%4,gblur=sigma=%5[c];"
                             "[a][c]overlay=%3:%4:format=gbrp")
                         .arg(kRegionW)
                         .arg(kRegionH)
                         .arg(kRegionX)
                         .arg(kRegionY)
                         .arg(double(kRegionIntensity) * 20));
}

} // namespace

BENCHMARK(BM_Frame_PictureAndTenShapes)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_FitAndComposite_Engine)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_FitAndComposite_FfmpegScaleOverlay)->Unit(benchmark::kMillisecond)->UseManualTime();
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
