// Easing evaluation and the per-frame reading of interpolated groups: each painted frame sets
// the time of every object and reads its placement in the middle of a keyframe animation.

#include "core/UREasing.h"
#include "core/URObject.h"
#include "core/URSettings.h"
#include "objects/URObjectsRegistry.h"
#include "objects/URPropPlacement.h"

#include <benchmark/benchmark.h>
#include <memory>
#include <vector>

namespace {

void BM_Ease(benchmark::State& state) {
    const int curve = static_cast<int>(state.range(0));
    double sum = 0;
    for (auto _ : state) {
        for (int i = 0; i <= 1000; ++i)
            sum += Ease(i / 1000.0, curve, 0.0, 1.0);
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(state.iterations() * 1001);
}
BENCHMARK(BM_Ease)->DenseRange(0, EaseCurveCount - 1);

// One frame = every object gets the time and gives its interpolated placement.
void BM_InterpolatedPlacementFrame(benchmark::State& state) {
    SetDefaultSettings(SettingsRecord);
    RegisterEngineKinds();
    const auto count = static_cast<int>(state.range(0));
    std::vector<std::unique_ptr<TRObject>> objects;
    for (int i = 0; i < count; ++i) {
        auto object = std::make_unique<TRObject>(nullptr, otShape);
        object->SetTimeEnd(60000);
        object->AddNewTransformation(30000);
        TRTransformation& keyframe = object->TransformationAt(1);
        keyframe.AnimateDuration = 30000;
        keyframe.Ease = ecCubicInOut;
        keyframe.Properties->Get<TRPropPlacement>(ptPlacement)->FPosition = QPointF(i, -i);
        objects.push_back(std::move(object));
    }
    std::int32_t time = 0;
    for (auto _ : state) {
        time = (time + 33) % 30000;
        for (const auto& object : objects) {
            object->SetTimePosition(time);
            benchmark::DoNotOptimize(object->GetProperty(ptPlacement));
        }
    }
    // The time column is microseconds per frame.
    state.counters["frames/s"] =
        benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_InterpolatedPlacementFrame)->Arg(1000)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
