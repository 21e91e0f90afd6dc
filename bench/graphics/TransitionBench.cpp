// Every transition kind over a 1920 x 1080 picture at the middle of coming in, in frames per
// second: the group's effect chain set up and its whole output rendered, on all cores.
#include "core/URPropTransition.h"
#include "core/URScenePaint.h"
#include "graphics/URCustomEffects.h"
#include "graphics/URTransitionDraw.h"
#include "platform/render/Bitmap.h"
#include "platform/render/DeviceContext.h"

#include <QGuiApplication>
#include <QImage>
#include <benchmark/benchmark.h>

using namespace platform::render;

namespace {

constexpr int kWidth = 1920;
constexpr int kHeight = 1080;

DeviceContext*& Context() {
    static DeviceContext* context = nullptr;
    return context;
}

// A gradient with a grid, so that every kind has edges and colours to move.
BitmapPtr Frame() {
    QImage image(kWidth, kHeight, QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < kHeight; ++y) {
        auto* row = reinterpret_cast<uint32_t*>(image.scanLine(y));
        for (int x = 0; x < kWidth; ++x) {
            const uint32_t line = (x % 64 == 0 || y % 64 == 0) ? 255 : 0;
            row[x] = 0xFF000000u | (uint32_t(x * 255 / kWidth) << 16) |
                     (uint32_t(y * 255 / kHeight) << 8) | line;
        }
    }
    return Bitmap::fromImage(image);
}

void RunKind(benchmark::State& state, const char* name) {
    static const BitmapPtr frame = Frame();
    TRPropTransitionIn group;
    group.FName = QString::fromLatin1(name);
    const TRTransitionInput input{frame, 0, 0, kWidth, kHeight, kWidth, kHeight};
    const RectL whole{0, 0, kWidth, kHeight};
    for (auto _ : state) {
        TRTransitionStep step;
        DrawTransition(group, ptTrIn, 0.5f, input, step);
        benchmark::DoNotOptimize(step.Output->render(whole));
    }
    state.counters["fps"] =
        benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM",
            qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QGuiApplication app(argc, argv);
    const FactoryPtr factory = Factory::create();
    for (const TRCustomEffectRegistration& r : CustomEffectRegistrations(factory))
        r.registerEffect();
    const DeviceContextPtr context = DeviceContext::create(factory);
    Context() = context.get();
    SceneContextHook = [] { return Context(); };
    for (const TRTransitionKind& kind : TransitionKinds)
        benchmark::RegisterBenchmark(
            (std::string("BM_Transition/") + kind.Name).c_str(),
            [name = kind.Name](benchmark::State& state) { RunKind(state, name); })
            ->UseRealTime()
            ->Unit(benchmark::kMillisecond);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    SceneContextHook = nullptr;
}
