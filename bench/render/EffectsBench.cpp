// Every effect kernel over a full-HD frame, in megapixels of output per second, on all cores;
// the custom effects also at 3840 x 2160, beside the Gaussian blur on the same frames.
// The Gaussian blur runs beside two references on the same frame in the same run: a plain
// single-threaded separable blur over a QImage, and ffmpeg's gblur filter (when the ffmpeg
// program is found; its pixel-format conversion alone is measured too, so the filter's share
// can be read off).
#include "bench/support/FfmpegRawRun.h"
#include "graphics/URCEChromakey.h"
#include "graphics/URCECircular.h"
#include "graphics/URCEContrast.h"
#include "graphics/URCEDissolve.h"
#include "graphics/URCEFisheyelens.h"
#include "graphics/URCEGenie.h"
#include "graphics/URCEGrayscale.h"
#include "graphics/URCEMagnify.h"
#include "graphics/URCEOpacity.h"
#include "graphics/URCEPixelate.h"
#include "graphics/URCEPush.h"
#include "graphics/URCERadialblur.h"
#include "graphics/URCERipple.h"
#include "graphics/URCESpinBlur.h"
#include "graphics/URCESwirl.h"
#include "graphics/URCustomEffects.h"
#include "platform/render/Bitmap.h"
#include "platform/render/StandardEffects.h"

#include <QGuiApplication>
#include <QImage>
#include <benchmark/benchmark.h>
#include <cmath>
#include <map>
#include <numbers>

using namespace platform::render;
namespace fx = platform::render::effects;

namespace {

constexpr int kWidth = 1920;
constexpr int kHeight = 1080;
constexpr double kFrameMegapixels = kWidth * kHeight / 1e6;

QImage testPattern(int width = kWidth, int height = kHeight) {
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < height; ++y) {
        auto* row = reinterpret_cast<uint32_t*>(image.scanLine(y));
        for (int x = 0; x < width; ++x)
            row[x] = 0xff000000u | uint32_t(x & 255) << 16 | uint32_t(y & 255) << 8 |
                     uint32_t((x ^ y) & 255);
    }
    return image;
}

const FactoryPtr& factory() {
    static const FactoryPtr f = [] {
        FactoryPtr made = Factory::create();
        QString tag;
        RegisterCustomEffects(tag, true, CustomEffectRegistrations(made));
        return made;
    }();
    return f;
}

void reportMegapixels(benchmark::State& state, double framesPerIteration = 1) {
    state.counters["MP/s"] =
        benchmark::Counter(double(state.iterations()) * framesPerIteration * kFrameMegapixels,
                           benchmark::Counter::kIsRate);
}

using Values = std::vector<std::pair<int, PropertyValue>>;

// The frame sizes of the custom effect runs.
struct FrameSize {
    const char* name;
    int width, height;
};
constexpr FrameSize kFrameSizes[] = {{"1920x1080", 1920, 1080}, {"3840x2160", 3840, 2160}};

const BitmapPtr& patternFrame(const FrameSize& size) {
    static std::map<int, BitmapPtr> frames;
    BitmapPtr& frame = frames[size.width];
    if (!frame)
        frame = Bitmap::fromImage(testPattern(size.width, size.height));
    return frame;
}

// Renders a whole frame of `size` through the effect `id` with `values` (input 1, where there
// is one, gets the transitions' turbulence), in megapixels of output per second.
void runOnFrame(benchmark::State& state, const FrameSize& size, QUuid id, const Values& values) {
    const BitmapPtr& input = patternFrame(size);
    const EffectPtr e = factory()->createEffect(id);
    for (int i = 0; i < e->inputCount(); ++i)
        e->setInput(i, input);
    if (e->inputCount() == 2) {
        const float m = 2.0f * float(std::max(size.width, size.height));
        const EffectPtr noise = factory()->createEffect(fx::Turbulence);
        noise->setValue(fx::TurbulenceSize, Vector2{m, m});
        noise->setValue(fx::TurbulenceBaseFrequency, Vector2{0.05f, 0.05f});
        e->setInput(1, noise);
    }
    for (const auto& [index, value] : values)
        e->setValue(index, value);
    const RectL whole{0, 0, size.width, size.height};
    for (auto _ : state)
        benchmark::DoNotOptimize(e->render(whole));
    state.counters["MP/s"] = benchmark::Counter(
        double(state.iterations()) * size.width * size.height / 1e6, benchmark::Counter::kIsRate);
}

// The reference: a direct separable convolution with the sampled Gaussian of reach 3 sigma,
// one thread, transparent beyond the edges.
QImage referenceBlur(const QImage& in, double sigma) {
    const int reach = int(std::ceil(3 * sigma));
    std::vector<float> weights;
    float sum = 0;
    for (int k = -reach; k <= reach; ++k)
        sum += weights.emplace_back(float(std::exp(-k * k / (2 * sigma * sigma))));
    for (float& w : weights)
        w /= sum;
    const int w = in.width(), h = in.height();
    std::vector<float> pass(size_t(w) * size_t(h) * 4);
    for (int y = 0; y < h; ++y) {
        const uchar* row = in.constScanLine(y);
        for (int x = 0; x < w; ++x)
            for (int c = 0; c < 4; ++c) {
                float acc = 0;
                for (int k = -reach; k <= reach; ++k)
                    if (x + k >= 0 && x + k < w)
                        acc += weights[size_t(k + reach)] * row[(x + k) * 4 + c];
                pass[(size_t(y) * size_t(w) + size_t(x)) * 4 + size_t(c)] = acc;
            }
    }
    QImage out(w, h, QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < h; ++y) {
        uchar* row = out.scanLine(y);
        for (int x = 0; x < w; ++x)
            for (int c = 0; c < 4; ++c) {
                float acc = 0;
                for (int k = -reach; k <= reach; ++k)
                    if (y + k >= 0 && y + k < h)
                        acc += weights[size_t(k + reach)] *
                               pass[(size_t(y + k) * size_t(w) + size_t(x)) * 4 + size_t(c)];
                row[x * 4 + c] = uchar(std::min(acc + 0.5f, 255.0f));
            }
    }
    return out;
}

void BM_GaussianBlur_Engine(benchmark::State& state) {
    runOnFrame(state, kFrameSizes[0], fx::GaussianBlur,
               {{fx::GaussianBlurStandardDeviation, float(state.range(0))}});
}

void BM_GaussianBlur_QImageReference(benchmark::State& state) {
    const QImage in = testPattern();
    for (auto _ : state)
        benchmark::DoNotOptimize(referenceBlur(in, double(state.range(0))));
    reportMegapixels(state);
}

// ffmpeg reading 30 copies of the raw frame, through `filter`, into nothing.
void runFfmpeg(benchmark::State& state, const QString& filter) {
    constexpr int frames = 30;
    if (RunFfmpegOnRawFrames(state, testPattern(), {"-vf", filter}, frames))
        reportMegapixels(state, frames);
}

void BM_GaussianBlur_FfmpegGblur(benchmark::State& state) {
    runFfmpeg(state, QString("format=gbrap,gblur=sigma=%1").arg(state.range(0)));
}

void BM_Ffmpeg_ConversionOnly(benchmark::State& state) {
    runFfmpeg(state, "format=gbrap");
}

struct KernelCase {
    const char* name;
    QUuid id;
    Values values;
};

std::vector<KernelCase> kernels() {
    const Vector2 centre{kWidth / 2.0f, kHeight / 2.0f};
    const float radius = std::sqrt(float(kWidth * kWidth + kHeight * kHeight)) / 2;
    return {
        {"DirectionalBlur_0deg",
         fx::DirectionalBlur,
         {{fx::DirectionalBlurStandardDeviation, 10.0f}}},
        {"DirectionalBlur_30deg",
         fx::DirectionalBlur,
         {{fx::DirectionalBlurStandardDeviation, 10.0f}, {fx::DirectionalBlurAngle, 30.0f}}},
        {"Shadow", fx::Shadow, {{fx::ShadowBlurStandardDeviation, 10.0f}}},
        {"PerspectiveTransform3D",
         fx::PerspectiveTransform3D,
         {{fx::PerspectiveRotation, Vector3{0, 30, 0}},
          {fx::PerspectiveRotationOrigin, Vector3{centre.x, centre.y, 0}},
          {fx::PerspectiveOrigin, centre}}},
        {"Transform3D", fx::Transform3D, {{fx::Transform3DMatrix, Matrix4x4::rotationZ(10)}}},
        {"Scale",
         fx::Scale,
         {{fx::ScaleAmount, Vector2{1.5f, 1.5f}}, {fx::ScaleCenterPoint, centre}}},
        {"Turbulence",
         fx::Turbulence,
         {{fx::TurbulenceSize, Vector2{kWidth, kHeight}}, {fx::TurbulenceOctaves, uint32_t(1)}}},
        {"DisplacementMap", fx::DisplacementMap, {{fx::DisplacementScale, 20.0f}}},
        {"Flood", fx::Flood, {}},
        {"Sepia", fx::Sepia, {}},
        {"Emboss", fx::Emboss, {{fx::EmbossDirection, 45.0f}}},
        {"Vignette", fx::Vignette, {{fx::VignetteTransitionSize, 0.5f}}},
        {"Saturation", fx::Saturation, {}},
        {"CE_Opacity", CLSID_CEOpacity, {{0, 0.5f}}},
        {"CE_Contrast", CLSID_CEContrast, {{0, 0.5f}, {1, 0.1f}}},
        {"CE_Chromakey", CLSID_CEChromakey, {{0, 25.0f}, {2, 255.0f}, {4, 0.0f}}},
        {"CE_Pixelate", CLSID_CEPixelate, {{0, 16.0f}}},
        {"CE_Magnify", CLSID_CEMagnify, {{0, 0.5f}, {1, centre}, {2, 300.0f}}},
        {"CE_Swirl", CLSID_CESwirl, {{0, 6.0f}, {1, centre}, {2, radius}}},
        {"CE_Fisheyelens", CLSID_CEFisheyelens, {{0, 0.5f}, {1, centre}, {2, radius}}},
        {"CE_Radialblur", CLSID_CERadialblur, {{0, 0.5f}, {1, centre}, {2, radius}}},
        {"CE_SpinBlur", CLSID_CESpinBlur, {{0, 1.5f}, {1, centre}, {2, radius}}},
        {"CE_Grayscale", CLSID_CEGrayscale, {}},
        {"CE_Dissolve", CLSID_CEDissolve, {{0, 0.5f}}},
        {"CE_Genie", CLSID_CEGenie, {{0, 0.4f}, {1, 0.9f}}},
        {"CE_Circular", CLSID_CECircular, {{2, centre}, {3, 400.0f}, {4, 20.0f}, {7, 2.0f}}},
        {"CE_Push", CLSID_CEPush, {{1, Vector2{kWidth, kHeight}}, {3, 10.0f}, {4, 0.5f}}},
        {"CE_Ripple", CLSID_CERipple, {{4, centre.x}, {5, centre.y}, {3, 0.1f}}},
    };
}

// Every custom effect as the transitions set it halfway (t = 0.5) with their defaults (border
// size 10, centre in the middle, white border of the alpha gradient type), as the image effect
// group sets the members that only it uses, and the cursor effects as the cursor lens (zoom 2,
// size 100) and the click ripple set them; and whole-frame versions of the cursor effects.
// Beside them, on the same frames, the Gaussian blur of deviation 20 (and 2, the image effect's
// default): no custom effect should cost more than twice the blur of deviation 20, a cursor
// effect no more than a fifth of its whole-frame version.
std::vector<KernelCase> customEffects(const FrameSize& size) {
    const float w = float(size.width), h = float(size.height);
    const Vector2 c{w / 2, h / 2};
    const float lens = std::max(w, h), far = std::hypot(w, h) / 2;
    constexpr float t = 0.5f, border = 10;
    const Values circularBorder{{4, border}, {7, 0.0f}, {8, 1.0f}, {9, 1.0f}, {10, 1.0f}};
    auto with = [](Values v, const Values& more) {
        v.insert(v.end(), more.begin(), more.end());
        return v;
    };
    return {
        {"GaussianBlur_20", fx::GaussianBlur, {{fx::GaussianBlurStandardDeviation, 20.0f}}},
        {"GaussianBlur_2", fx::GaussianBlur, {{fx::GaussianBlurStandardDeviation, 2.0f}}},
        {"Opacity", CLSID_CEOpacity, {{0, 0.5f}}},
        {"Contrast", CLSID_CEContrast, {{0, 0.5f}, {1, 0.1f}}},
        {"Chromakey", CLSID_CEChromakey, {{0, 25.0f}, {2, 255.0f}, {4, 0.0f}}},
        {"Grayscale", CLSID_CEGrayscale, {{0, 1.0f}}},
        {"Pixelate", CLSID_CEPixelate, {{0, (1 - t) * border}, {1, w}, {2, h}}},
        {"Magnify", CLSID_CEMagnify, {{0, 1 / ((1 - t) * border / 50 + 1)}, {1, c}, {2, 0.0f}}},
        {"Swirl",
         CLSID_CESwirl,
         {{0, (1 - t) * border / 5}, {1, c}, {2, lens}, {3, 0.0f}, {4, w}, {5, h}}},
        {"Radialblur", CLSID_CERadialblur, {{0, (1 - t) * border / 100}, {1, c}, {2, lens}}},
        {"SpinBlur",
         CLSID_CESpinBlur,
         {{0, (1 - t) * border / 100}, {1, c}, {2, lens}, {3, w}, {4, h}}},
        {"SpinBlur_ImageEffect", CLSID_CESpinBlur, {{0, 1.5f}, {1, c}}},
        {"Fisheyelens",
         CLSID_CEFisheyelens,
         {{0, (1 - t) * border / 100}, {1, c}, {2, lens}, {3, 0.0f}}},
        {"Dissolve", CLSID_CEDissolve, {{0, t}}},
        {"Genie", CLSID_CEGenie, {{0, 1 - t}, {1, border / 100}}},
        {"Circular_CircleOpen", CLSID_CECircular,
         with({{0, 0.0f}, {2, c}, {3, far * t}, {5, 0.0f}}, circularBorder)},
        {"Circular_Wipe", CLSID_CECircular,
         with({{0, 2.0f}, {6, Vector4{0, 0, w * t, h}}, {5, 0.0f}}, circularBorder)},
        {"Push_Slide",
         CLSID_CEPush,
         {{0, 0.0f}, {1, Vector2{w, h}}, {2, 1.0f}, {3, border}, {4, t}}},
        {"Cursor_Magnify_r100", CLSID_CEMagnify, {{0, 0.5f}, {1, c}, {2, 100.0f}}},
        {"Cursor_Magnify_WholeFrame", CLSID_CEMagnify, {{0, 0.5f}, {1, c}, {2, far}}},
        {"Cursor_Fisheyelens_r100",
         CLSID_CEFisheyelens,
         {{0, 0.25f}, {1, c}, {2, 100.0f}, {3, 0.0f}}},
        {"Cursor_Fisheyelens_WholeFrame",
         CLSID_CEFisheyelens,
         {{0, 0.25f}, {1, c}, {2, far}, {3, 0.0f}}},
        {"Cursor_Ripple", CLSID_CERipple, {{4, c.x}, {5, c.y}}},
    };
}

} // namespace

// A deviation of 20 must cost about what 2 costs: the box passes do not grow with the radius.
BENCHMARK(BM_GaussianBlur_Engine)->Arg(2)->Arg(20)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GaussianBlur_QImageReference)
    ->Arg(2)
    ->Arg(20)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GaussianBlur_FfmpegGblur)
    ->Arg(2)
    ->Arg(20)
    ->UseManualTime()
    ->Iterations(2)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Ffmpeg_ConversionOnly)->UseManualTime()->Iterations(2)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM",
            qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QGuiApplication app(argc, argv);
    for (const FrameSize& size : kFrameSizes)
        for (const KernelCase& k : customEffects(size))
            benchmark::RegisterBenchmark(
                (std::string("BM_Custom/") + k.name + "/" + size.name).c_str(),
                [k, size](benchmark::State& state) { runOnFrame(state, size, k.id, k.values); })
                ->UseRealTime()
                ->Unit(benchmark::kMillisecond);
    for (const KernelCase& k : kernels())
        benchmark::RegisterBenchmark(
            (std::string("BM_Kernel/") + k.name).c_str(),
            [k](benchmark::State& state) { runOnFrame(state, kFrameSizes[0], k.id, k.values); })
            ->UseRealTime()
            ->Unit(benchmark::kMillisecond);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
