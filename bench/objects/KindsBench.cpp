// Drawable kinds on a full-HD frame, in frames per second: a whole project frame with one
// fitted picture (mask, border, shadow) and ten shapes and texts; and one 1920 x 1080 picture
// fitted to 1280 x 720 and composited, beside ffmpeg's scale and overlay filters doing the same
// to the same picture (when the ffmpeg program is found).
#include "bench/support/FfmpegRawRun.h"
#include "core/URProject.h"
#include "core/URSettings.h"
#include "graphics/URCustomEffects.h"
#include "graphics/URDX12Base.h"
#include "objects/URObjectsRegistry.h"
#include "objects/URPropMask.h"
#include "objects/URPropPlacement.h"
#include "objects/URPropText.h"
#include "objects/kinds/URImage.h"
#include "objects/kinds/URKindsRegistry.h"
#include "objects/kinds/URShape.h"

#include <QGuiApplication>
#include <benchmark/benchmark.h>

using namespace platform::render;

namespace {

constexpr int kWidth = 1920, kHeight = 1080;

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

    void AddShapesAndTexts() {
        for (int i = 0; i < 10; ++i) {
            std::unique_ptr<TRObject> object;
            if (i % 2)
                object = std::make_unique<TRText>(&project_, otText);
            else
                object = std::make_unique<TRShape>(&project_, otShape);
            object->SetTimeEnd(10000);
            Place(*object, {-800.0 + i * 170, 400}, {150, 100});
            project_.AddObject(std::move(object));
        }
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

// ffmpeg scaling 30 copies of the raw picture to 1280 x 720 and laying each on a black frame.
void BM_FitAndComposite_FfmpegScaleOverlay(benchmark::State& state) {
    constexpr int frames = 30;
    const QString graph =
        QString("color=black:s=%1x%2,format=bgra[bg];[0:v]scale=1280:720:flags=bicubic[fg];"
                "[bg][fg]overlay=320:180:shortest=1")
            .arg(kWidth)
            .arg(kHeight);
    if (RunFfmpegOnRawFrames(state, Photo(), {"-filter_complex", graph}, frames))
        ReportFrames(state, frames);
}

} // namespace

BENCHMARK(BM_Frame_PictureAndTenShapes)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_FitAndComposite_Engine)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_FitAndComposite_FfmpegScaleOverlay)->Unit(benchmark::kMillisecond)->UseManualTime();

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
