// The editor's canvas painting a 1920 x 1080 project of 20 shapes and texts (without shadows
// and reflections, whose cost the kinds' benchmark shows), one of them turned and selected with
// its handles, in frames per second: fitted at half size into a 960 x 540 canvas and at full
// size, and the same canvases with an empty project (the canvas's own work). Each frame is the
// whole paint: checkerboard, the project into the kept intermediate bitmap, hover outline,
// handles, and the bitmap onto the control.
#include "core/URProject.h"
#include "core/URSettings.h"
#include "editor/ui/URScene.h"
#include "graphics/URCustomEffects.h"
#include "graphics/URDX12Base.h"
#include "objects/URObjectsRegistry.h"
#include "objects/URPropPlacement.h"
#include "objects/URPropText.h"
#include "objects/kinds/URKindsRegistry.h"

#include <QApplication>
#include <QImage>
#include <benchmark/benchmark.h>

namespace {

constexpr int kObjects = 20;

std::unique_ptr<TRProject> BusyProject(int objects) {
    auto project = std::make_unique<TRProject>();
    project->SetProjectSize(1920, 1080);
    project->SetTimeEnd(10000);
    for (int i = 0; i < objects; ++i) {
        TRObject* object =
            project->AddObject(CreateObjectOfType(project.get(), i % 4 == 3 ? otText : otShape));
        object->SetTimeEnd(10000);
        // The objects' own effects are measured with the kinds; here the canvas's work counts.
        for (TRPropertyType off : {ptShadow, ptReflection})
            object->GetProperty(off, true)->SetChecked(false);
        auto* p = object->Get<TRPropPlacement>(ptPlacement, true);
        p->FPosition = QPointF(-760 + (i % 5) * 380, -400 + (i / 5) * 260);
        p->FSize = QSizeF(300, 180);
        if (auto* text = object->Get<TRPropText>(ptText, true))
            text->FText = QStringLiteral("Title %1").arg(i);
    }
    if (objects > 7) {
        TRObject* selected = project->Objects()[7].get();
        selected->Get<TRPropPlacement>(ptPlacement, true)->FRotationZ = 15;
        project->SelectedObject = selected;
        project->MouseOverObject = project->Objects()[3].get();
    }
    project->SetTimePosition(1000);
    return project;
}

void BM_CanvasPaint(benchmark::State& state) {
    const float scale = float(state.range(0)) / 100;
    auto project = BusyProject(int(state.range(1)));
    project->InterfaceOptions.DesignScale = scale;
    TRScene canvas(nullptr);
    canvas.resize(int(1920 * scale), int(1080 * scale));
    canvas.SetProject(project.get());
    QImage frame(canvas.size(), QImage::Format_RGB32);
    canvas.render(&frame); // the first paint makes the bitmaps and the objects' caches
    for (auto _ : state) {
        canvas.render(&frame);
        benchmark::DoNotOptimize(frame.constBits());
    }
    state.counters["fps"] =
        benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
}

} // namespace

// Arguments: the zoom in percent and the number of objects (0: the canvas's own work alone).
BENCHMARK(BM_CanvasPaint)
    ->Args({50, kObjects})
    ->Args({100, kObjects})
    ->Args({50, 0})
    ->Args({100, 0})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    SetDefaultSettings(SettingsRecord);
    RegisterEngineKinds();
    RegisterDrawableKinds();
    InitDX();
    for (const TRCustomEffectRegistration& r : CustomEffectRegistrations())
        r.registerEffect();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
