// Every filter of the image kit over a full-HD frame on all cores, in megapixels of output per
// second, beside a plain reference doing the same job on the same frame in the same run: the
// 2-D engine's matching effect where there is one, else ffmpeg's filter (its pixel-format
// conversion alone timed apart), else a single-threaded loop of the formula.
#include "bench/support/FfmpegRawRun.h"
#include "graphics/URCEGrayscale.h"
#include "graphics/URCEPixelate.h"
#include "graphics/URCustomEffects.h"
#include "imagekit/IKContext.h"
#include "imagekit/IKFilter.h"
#include "imagekit/IKFilterCatalogue.h"
#include "platform/render/Bitmap.h"
#include "platform/render/BuiltinEffects.h"
#include "platform/render/StandardEffects.h"

#include <QImage>
#include <benchmark/benchmark.h>
#include <cmath>

using namespace platform::render;
namespace fx = platform::render::effects;

namespace {

constexpr int kWidth = 1920;
constexpr int kHeight = 1080;
constexpr double kFrameMegapixels = kWidth * kHeight / 1e6;

const QImage& testPattern() {
    static const QImage image = [] {
        QImage made(kWidth, kHeight, QImage::Format_ARGB32_Premultiplied);
        for (int y = 0; y < kHeight; ++y) {
            auto* row = reinterpret_cast<std::uint32_t*>(made.scanLine(y));
            for (int x = 0; x < kWidth; ++x)
                row[x] = 0xff000000u | std::uint32_t(x & 255) << 16 | std::uint32_t(y & 255) << 8 |
                         std::uint32_t((x ^ y) & 255);
        }
        return made;
    }();
    return image;
}

void reportMegapixels(benchmark::State& state, double framesPerIteration = 1) {
    state.counters["MP/s"] =
        benchmark::Counter(double(state.iterations()) * framesPerIteration * kFrameMegapixels,
                           benchmark::Counter::kIsRate);
}

// ---- The kit ------------------------------------------------------------------------------

using Values = std::vector<std::pair<const char*, TIKValue>>;

// Renders the named filter over the frame once per iteration.
void runKit(benchmark::State& state, const char* name, const Values& values) {
    IKRegisterFilters();
    const auto input = TIKImage::CreateWithGPBitmap(testPattern());
    auto filter = TIKFilter::CreateWithName(name);
    if (filter->PropertyExists("InputImage"))
        filter->SetValue("InputImage", TIKValue(static_cast<QObject*>(input.get())));
    for (const auto& [inputName, value] : values)
        filter->SetValue(inputName, value);
    TIKNullContext context;
    context.BeginDraw();
    for (auto _ : state) {
        filter->ValueChanged();
        benchmark::DoNotOptimize(filter->OutputImage());
    }
    context.EndDraw();
    reportMegapixels(state);
}

const TIKRect kFrame{0, 0, kWidth, kHeight};

#define KIT_BENCH(Name, filter, ...)                                                               \
    void BM_Kit_##Name(benchmark::State& state) {                                                  \
        runKit(state, filter, __VA_ARGS__);                                                        \
    }                                                                                              \
    BENCHMARK(BM_Kit_##Name)->Unit(benchmark::kMillisecond)->UseRealTime()

KIT_BENCH(Crop, "Crop", {{"InputRect", TIKValue(kFrame)}});
KIT_BENCH(AffineTransform, "AffineTransform", {{"InputTransform", TIKValue(IKRotationMatrix(30))}});
KIT_BENCH(AffineClamp, "AffineClamp",
          {{"InputTransform", TIKValue(IKRotationMatrix(30))}, {"InputRect", TIKValue(kFrame)}});
KIT_BENCH(Rotation, "Rotation", {{"InputAngle", TIKValue(30.0)}});
KIT_BENCH(GaussianBlur_5, "GaussianBlur", {{"InputRadius", TIKValue(5.0)}});
KIT_BENCH(GaussianBlur_50, "GaussianBlur", {{"InputRadius", TIKValue(50.0)}});
KIT_BENCH(GaussianBlurClamp_5, "GaussianBlurClamp", {{"InputRadius", TIKValue(5.0)}});
KIT_BENCH(BoxBlur, "BoxBlur", {{"InputRadius", TIKValue(2.0)}});
KIT_BENCH(ColorInvert, "ColorInvert", {});
KIT_BENCH(ColorMonochrome, "ColorMonochrome", {});
KIT_BENCH(ColorPosterize, "ColorPosterize", {});
KIT_BENCH(MaskToAlpha, "MaskToAlpha", {});
KIT_BENCH(SepiaTone, "SepiaTone", {});
KIT_BENCH(SourceOverCompositing, "SourceOverCompositing", {});
KIT_BENCH(Glow, "Glow", {});
KIT_BENCH(GlowClamp, "GlowClamp", {});
KIT_BENCH(Shadow, "Shadow", {{"InputRadius", TIKValue(5.0)}});
KIT_BENCH(ShadowClamp, "ShadowClamp", {{"InputRadius", TIKValue(5.0)}});
KIT_BENCH(CheckerboardGenerator, "CheckerboardGenerator", {{"InputRect", TIKValue(kFrame)}});
KIT_BENCH(ColorGenerator, "ColorGenerator", {{"InputRect", TIKValue(kFrame)}});
KIT_BENCH(RandomGenerator, "RandomGenerator", {{"InputRect", TIKValue(kFrame)}});
KIT_BENCH(ColorClamp, "ColorClamp", {});
KIT_BENCH(GammaAdjust, "GammaAdjust", {});
KIT_BENCH(HueAdjust, "HueAdjust", {{"InputAngle", TIKValue(90.0)}});
KIT_BENCH(Convolution3X3, "Convolution3X3", {});
KIT_BENCH(Pixellate, "Pixellate", {});
KIT_BENCH(Sharpen, "Sharpen", {});

// ---- The 2-D engine's effects ---------------------------------------------------------------

const FactoryPtr& factory() {
    static const FactoryPtr f = [] {
        FactoryPtr made = Factory::create();
        QString tag;
        RegisterCustomEffects(tag, true, CustomEffectRegistrations(made));
        return made;
    }();
    return f;
}

using EngineValues = std::vector<std::pair<int, PropertyValue>>;

void runEngine(benchmark::State& state, QUuid id, const EngineValues& values, int inputs = 1) {
    const BitmapPtr input = Bitmap::fromImage(testPattern());
    const EffectPtr e = factory()->createEffect(id);
    for (int i = 0; i < std::min(inputs, e->inputCount()); ++i)
        e->setInput(i, input);
    for (const auto& [index, value] : values)
        e->setValue(index, value);
    const RectL whole{0, 0, kWidth, kHeight};
    for (auto _ : state)
        benchmark::DoNotOptimize(e->render(whole));
    reportMegapixels(state);
}

#define ENGINE_BENCH(Name, ...)                                                                    \
    void BM_Engine_##Name(benchmark::State& state) {                                               \
        runEngine(state, __VA_ARGS__);                                                             \
    }                                                                                              \
    BENCHMARK(BM_Engine_##Name)->Unit(benchmark::kMillisecond)->UseRealTime()

ENGINE_BENCH(GaussianBlur_5, fx::GaussianBlur, {{fx::GaussianBlurStandardDeviation, 5.0f}});
ENGINE_BENCH(GaussianBlur_50, fx::GaussianBlur, {{fx::GaussianBlurStandardDeviation, 50.0f}});
ENGINE_BENCH(AffineTransform, fx::AffineTransform2D,
             {{fx::AffineMatrix, Matrix3x2::rotation(30, {kWidth / 2.0f, kHeight / 2.0f})}});
ENGINE_BENCH(Crop, fx::Crop, {{fx::CropRect, Vector4{0, 0, kWidth, kHeight}}});
ENGINE_BENCH(Composite, fx::Composite, {}, 2);
ENGINE_BENCH(Shadow, fx::Shadow, {{fx::ShadowBlurStandardDeviation, 5.0f}});
ENGINE_BENCH(Sepia, fx::Sepia, {});
ENGINE_BENCH(Flood, fx::Flood, {});
ENGINE_BENCH(CE_Grayscale, CLSID_CEGrayscale, {{0, 1.0f}});
ENGINE_BENCH(CE_Pixelate, CLSID_CEPixelate, {{0, 8.0f}, {1, float(kWidth)}, {2, float(kHeight)}});

// ---- ffmpeg's filters -----------------------------------------------------------------------

// ffmpeg reading 30 copies of the raw frame through `filter` into nothing.
void runFfmpeg(benchmark::State& state, const QString& filter) {
    constexpr int frames = 30;
    if (RunFfmpegOnRawFrames(state, testPattern(), {"-vf", filter}, frames))
        reportMegapixels(state, frames);
}

#define FFMPEG_BENCH(Name, filter)                                                                 \
    void BM_Ffmpeg_##Name(benchmark::State& state) {                                               \
        runFfmpeg(state, filter);                                                                  \
    }                                                                                              \
    BENCHMARK(BM_Ffmpeg_##Name)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(2)

FFMPEG_BENCH(ConversionOnly, "format=rgba");
FFMPEG_BENCH(Negate, "format=rgba,negate");
FFMPEG_BENCH(ColorChannelMixer,
             "format=rgba,colorchannelmixer=rr=0.2126:rg=0.7152:rb=0.0722:gr=0.2126:gg=0.7152:"
             "gb=0.0722:br=0.2126:bg=0.7152:bb=0.0722");
FFMPEG_BENCH(Hue, "format=rgba,hue=h=90");
FFMPEG_BENCH(LutrgbGamma, "format=rgba,lutrgb=r=gammaval(0.75):g=gammaval(0.75):b=gammaval(0.75)");
FFMPEG_BENCH(LutrgbPosterize, "format=rgba,lutrgb=r=floor(val/25.5)*25.5:g=floor(val/25.5)*25.5:"
                              "b=floor(val/25.5)*25.5");
FFMPEG_BENCH(LutrgbClamp, "format=rgba,lutrgb=r=clipval:g=clipval:b=clipval:a=clipval");
FFMPEG_BENCH(Convolution, "format=rgba,convolution=0m='0 0 0 0 1 0 0 0 0':1m='0 0 0 0 1 0 0 0 0':"
                          "2m='0 0 0 0 1 0 0 0 0':3m='0 0 0 0 1 0 0 0 0'");
FFMPEG_BENCH(ConvolutionSharpen,
             "format=rgba,convolution=0m='1 0 0 0 1 0 0 0 -1':1m='1 0 0 0 1 0 0 0 -1':"
             "2m='1 0 0 0 1 0 0 0 -1':3m='0 0 0 0 1 0 0 0 0'");
FFMPEG_BENCH(Avgblur, "format=rgba,avgblur=sizeX=6:sizeY=6");

// ---- Single-threaded loops of the formula ---------------------------------------------------

void BM_Loop_Checkerboard(benchmark::State& state) {
    QImage out(kWidth, kHeight, QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        for (int y = 0; y < kHeight; ++y) {
            auto* row = reinterpret_cast<std::uint32_t*>(out.scanLine(y));
            for (int x = 0; x < kWidth; ++x)
                row[x] = ((x / 10 + y / 10) & 1) ? 0xff000000u : 0xffffffffu;
        }
        benchmark::DoNotOptimize(out.bits());
    }
    reportMegapixels(state);
}
BENCHMARK(BM_Loop_Checkerboard)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_Loop_Random(benchmark::State& state) {
    QImage out(kWidth, kHeight, QImage::Format_ARGB32_Premultiplied);
    const auto frac = [](float v) { return v - std::floor(v); };
    for (auto _ : state) {
        for (int y = 0; y < kHeight; ++y) {
            auto* row = reinterpret_cast<std::uint32_t*>(out.scanLine(y));
            const float v = (y + 0.5f) / kHeight;
            for (int x = 0; x < kWidth; ++x) {
                const float t = std::sin(12.9898f * ((x + 0.5f) / kWidth) + 78.233f * v);
                row[x] = 0xff000000u | std::uint32_t(frac(t * 43758.547f) * 255) << 16 |
                         std::uint32_t(frac(t * 65445.855f) * 255) << 8 |
                         std::uint32_t(frac(t * 12432.345f) * 255);
            }
        }
        benchmark::DoNotOptimize(out.bits());
    }
    reportMegapixels(state);
}
BENCHMARK(BM_Loop_Random)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
