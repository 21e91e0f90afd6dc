// Sketches and keystroke badges (without shadow or reflection) painted on a full-HD scene, in
// frames per second: ten sketches of corner brackets half drawn one bracket after another while
// the editor plays (the dashed strokes are rebuilt every frame), and ten keystroke badges
// (Ctrl + Shift + F5 in the classic style, with their captions), each bitmap rendered and
// composited per frame.
#include "core/UREditorServices.h"
#include "core/URProject.h"
#include "core/URSettings.h"
#include "graphics/URCustomEffects.h"
#include "graphics/URDX12Base.h"
#include "objects/URObjectsRegistry.h"
#include "objects/URPropKeystroke.h"
#include "objects/URPropPlacement.h"
#include "objects/URPropSketch.h"
#include "objects/kinds/URKeystroke.h"
#include "objects/kinds/URKindsRegistry.h"
#include "objects/kinds/URSketch.h"

#include <QGuiApplication>
#include <benchmark/benchmark.h>

using namespace platform::render;

namespace {

constexpr int kWidth = 1920, kHeight = 1080;
constexpr int kObjects = 10;

// An editor that plays, so sketches follow their timing.
struct PlayingEditor : TREditorServices {
    TRProject* ActiveProject() const override { return nullptr; }
    void RepaintScene() override {}
    bool Playing() const override { return true; }
};

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
        InstallEditorServices(&editor_);
    }
    ~Scene() { InstallEditorServices(nullptr); }

    template <class Kind> Kind& Add(TRObjectType type, int index, QSizeF size) {
        auto object = std::make_unique<Kind>(&project_, type);
        object->SetTimeEnd(10000);
        auto* p = object->template Get<TRPropPlacement>(ptPlacement, true);
        p->FPosition = QPointF(-720.0 + (index % 5) * 360, -270.0 + (index / 5) * 540);
        p->FSize = size;
        // The drawing of the kind itself; shadows are measured with the other kinds.
        for (TRPropertyType off : {ptShadow, ptReflection})
            object->GetProperty(off, true)->SetChecked(false);
        return static_cast<Kind&>(*project_.AddObject(std::move(object)));
    }

    void Paint() {
        D2DContext->setTarget(target_);
        D2DContext->beginDraw();
        D2DContext->setTransform(Matrix3x2::translation(kWidth / 2.0f, kHeight / 2.0f));
        project_.PaintOnVideo(500, 0);
        D2DContext->endDraw();
    }

private:
    PlayingEditor editor_;
    TRProject project_;
    BitmapPtr target_;
};

void ReportFrames(benchmark::State& state) {
    state.counters["fps"] =
        benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
}

void BM_Frame_TenSketches(benchmark::State& state) {
    Scene scene;
    for (int i = 0; i < kObjects; ++i) {
        auto* k = scene.Add<TRSketch>(otSketch, i, {320, 400}).Get<TRPropSketch>(ptSketch, true);
        k->FShapeName = "Rectangle CB";
        k->FThickness = 12;
        k->FDrawTime = 1000; // half of it at 500 ms
    }
    for (auto _ : state)
        scene.Paint();
    ReportFrames(state);
}

void BM_Frame_TenKeystrokeBadges(benchmark::State& state) {
    Scene scene;
    for (int i = 0; i < kObjects; ++i) {
        auto* k = scene.Add<TRKeystroke>(otKeystroke, i, {340, 120})
                      .Get<TRPropKeystroke>(ptKeystroke, true);
        k->FKeys = {6, 116, 0, {}};
        k->FStyle = "Classic";
    }
    for (auto _ : state)
        scene.Paint();
    ReportFrames(state);
}

} // namespace

BENCHMARK(BM_Frame_TenSketches)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Frame_TenKeystrokeBadges)->Unit(benchmark::kMillisecond)->UseRealTime();

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
