// The image kit's device against the 2-D engine and a plain copy on full-HD frames: composing
// a bitmap into a target and reading a target back. Reported in megapixels per second.
#include "imagekit/IKTextures.h"
#include "platform/render/DeviceContext.h"

#include <QImage>
#include <benchmark/benchmark.h>
#include <cstring>
#include <vector>

namespace {

constexpr int kWidth = 1920;
constexpr int kHeight = 1080;
constexpr double kFrameMegapixels = kWidth * kHeight / 1e6;

QImage testPattern() {
    QImage image(kWidth, kHeight, QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < image.height(); ++y) {
        auto* row = reinterpret_cast<std::uint32_t*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x)
            row[x] = 0x80000000u | std::uint32_t(x & 127) << 16 | std::uint32_t(y & 127) << 8 |
                     std::uint32_t((x ^ y) & 127);
    }
    return image;
}

void reportMegapixels(benchmark::State& state) {
    state.counters["MP/s"] = benchmark::Counter(double(state.iterations()) * kFrameMegapixels,
                                                benchmark::Counter::kIsRate);
}

std::unique_ptr<TDXMapTexture> patternTexture() {
    const QImage pattern = testPattern();
    auto texture = std::make_unique<TDXMapTexture>(TIKTextureAttrs{taAntialias, taClampBorder},
                                                   kWidth, kHeight, pfBGRA);
    std::uint8_t* bits = nullptr;
    int pitch = 0;
    texture->Map(bits, pitch);
    for (int y = 0; y < kHeight; ++y)
        std::memcpy(bits + y * pitch, pattern.constScanLine(y), std::size_t(kWidth) * 4);
    texture->Unmap();
    return texture;
}

void BM_ComposeRect_Kit(benchmark::State& state) {
    const auto source = patternTexture();
    TDXRenderTexture target({taAntialias, taClampBorder}, kWidth, kHeight, pfBGRA);
    TDXRenderHelper& render = target.Render();
    for (auto _ : state) {
        render.BeginRender();
        render.Clear(IKBlackColor);
        render.ComposeRect({0, 0, kWidth, kHeight}, *source);
        render.EndRender();
    }
    reportMegapixels(state);
}

void BM_ComposeRect_Engine(benchmark::State& state) {
    using namespace platform::render;
    const auto context = DeviceContext::create(Factory::create());
    const auto target = Bitmap::create({kWidth, kHeight},
                                       {AlphaMode::Premultiplied, 96, 96, BitmapOptions::Target});
    const auto source = Bitmap::fromImage(testPattern());
    context->setTarget(target);
    for (auto _ : state) {
        context->beginDraw();
        context->clear({0, 0, 0, 1});
        context->drawBitmap(*source);
        context->endDraw();
    }
    reportMegapixels(state);
}

void BM_ReadPixels_Kit(benchmark::State& state) {
    TDXRenderTexture target({}, kWidth, kHeight, pfBGRA);
    std::vector<std::uint8_t> bits(std::size_t(kWidth) * kHeight * 4);
    for (auto _ : state) {
        target.ReadPixels(bits.data(), {0, 0, kWidth, kHeight}, false);
        benchmark::DoNotOptimize(bits.data());
    }
    reportMegapixels(state);
}

void BM_ReadPixels_Memcpy(benchmark::State& state) {
    const std::vector<std::uint8_t> from(std::size_t(kWidth) * kHeight * 4, 7);
    std::vector<std::uint8_t> bits(from.size());
    for (auto _ : state) {
        std::memcpy(bits.data(), from.data(), bits.size());
        benchmark::DoNotOptimize(bits.data());
    }
    reportMegapixels(state);
}

} // namespace

BENCHMARK(BM_ComposeRect_Kit)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ComposeRect_Engine)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ReadPixels_Kit)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ReadPixels_Memcpy)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_MAIN();
