// Each effect group's chain at its defaults on a 1920 x 1080 picture, drawn onto a 1080p target
// (only what lands on the target is computed), in frames per second; beside it the plain draw
// of the picture and the draw of one Gaussian blur of standard deviation 20, the yardsticks a
// group's cost is measured against.
#include "core/URScenePaint.h"
#include "graphics/URCustomEffects.h"
#include "graphics/URPropBlur.h"
#include "graphics/URPropChromaKey.h"
#include "graphics/URPropColorAdjust.h"
#include "graphics/URPropEffect.h"
#include "graphics/URPropFlipOpacity.h"
#include "graphics/URPropReflection.h"
#include "graphics/URPropShadow.h"
#include "graphics/URPropZoomAndPan.h"
#include "platform/render/Bitmap.h"
#include "platform/render/DeviceContext.h"

#include <QGuiApplication>
#include <QImage>
#include <benchmark/benchmark.h>
#include <functional>

using namespace platform::render;

namespace {

constexpr int kWidth = 1920;
constexpr int kHeight = 1080;

DeviceContext*& Context() {
    static DeviceContext* context = nullptr;
    return context;
}

// A gradient with a grid and a green band for the key.
BitmapPtr Picture() {
    QImage image(kWidth, kHeight, QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < kHeight; ++y) {
        auto* row = reinterpret_cast<uint32_t*>(image.scanLine(y));
        for (int x = 0; x < kWidth; ++x) {
            const uint32_t line = (x % 64 == 0 || y % 64 == 0) ? 255 : 0;
            row[x] = y > 400 && y < 600 ? 0xFF00FF00u
                                        : 0xFF000000u | (uint32_t(x * 255 / kWidth) << 16) |
                                              (uint32_t(y * 255 / kHeight) << 8) | line;
        }
    }
    return Bitmap::fromImage(image);
}

using Chain = std::function<ImagePtr(const ImagePtr&)>;

void Run(benchmark::State& state, const Chain& chain) {
    static const BitmapPtr picture = Picture();
    static const BitmapPtr target =
        Bitmap::create({kWidth, kHeight}, {.options = BitmapOptions::Target});
    DeviceContext& dc = *Context();
    dc.setTarget(target);
    for (auto _ : state) {
        dc.beginDraw();
        dc.clear(ColorF{0, 0, 0, 1});
        dc.drawImage(*chain(picture));
        benchmark::DoNotOptimize(dc.endDraw());
    }
    dc.setTarget(nullptr);
    state.counters["fps"] =
        benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
}

// Each group checked at its defaults.
template <class G> G& Defaults() {
    static G group;
    group.SetChecked(true);
    return group;
}

const std::pair<const char*, Chain> Chains[] = {
    {"PlainDraw", [](const ImagePtr& in) { return in; }},
    {"GaussianBlur20",
     [](const ImagePtr& in) {
         static TRPropBlur blur;
         blur.FSize = 20;
         return blur.Draw(in);
     }},
    {"Effect",
     [](const ImagePtr& in) {
         return Defaults<TRPropEffect>().Draw(in, {960, 540});
     }},
    {"Reflection",
     [](const ImagePtr& in) {
         return Defaults<TRPropReflection>().ComputeReflection(in, 0, 1, kWidth, kHeight, {});
     }},
    {"FlipOpacity",
     [](const ImagePtr& in) {
         const TRPropFlipOpacity& media = Defaults<TRPropFlipOpacity>();
         return media.DrawOpacity(media.DrawFlip(in, kWidth, kHeight));
     }},
    {"Shadow", [](const ImagePtr& in) { return Defaults<TRPropShadow>().ComputeShadow(in, 0, 1); }},
    {"ZoomAndPan",
     [](const ImagePtr& in) {
         TRZoomAndPanPlace place;
         return Defaults<TRPropZoomAndPan>().Draw(in, kWidth, kHeight, kWidth, kHeight, place);
     }},
    {"ColorAdjust", [](const ImagePtr& in) { return Defaults<TRPropColorAdjust>().Draw(in); }},
    {"ChromaKey", [](const ImagePtr& in) { return Defaults<TRPropChromaKey>().Draw(in); }},
    {"Blur", [](const ImagePtr& in) { return Defaults<TRPropBlur>().Draw(in); }},
};

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
    for (const auto& [name, chain] : Chains)
        benchmark::RegisterBenchmark((std::string("BM_EffectGroup/") + name).c_str(),
                                     [&chain](benchmark::State& state) { Run(state, chain); })
            ->UseRealTime()
            ->Unit(benchmark::kMillisecond);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    SceneContextHook = nullptr;
}
