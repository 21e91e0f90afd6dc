#include "imagekit/IKFilterGenerator.h"

#include "imagekit/IKKernelFilter.h"
#include "platform/kitdevice/VectorClones.h"

#include <algorithm>
#include <cmath>

namespace kd = platform::kitdevice;

namespace {

// The texture coordinate of pixel k of the span.
float U(const kd::PixelSpan& span, int k) {
    return span.u + span.du * float(k);
}

float V(const kd::PixelSpan& span, int k) {
    return span.v + span.dv * float(k);
}

// Which of the two colours the pixels first .. first + count - 1 of the span show.
TAVRIN_VECTOR_CLONES void CheckerboardSquares(const kd::PixelSpan& span, int first, int count,
                                              bool* second) {
    const auto width = span.constant<float>(32);
    const auto extent = span.constant<TIKVector3D>(48);
    const float su = width / extent.Z;
    const float sv = width / extent.W;
    for (int k = 0; k < count; ++k) {
        // Inside the output the indices stay below the largest target side: 32 bits hold them,
        // and vectors convert 32-bit integers in one instruction.
        const auto i = std::int32_t(std::floor(U(span, first + k) / su));
        const auto j = std::int32_t(std::floor(V(span, first + k) / sv));
        second[k] = ((i + j) & 1) != 0;
    }
}

void CheckerboardPixels(const kd::PixelSpan& span, kd::Color4* out) {
    const auto color1 = span.constant<kd::Color4>(0);
    const auto color2 = span.constant<kd::Color4>(16);
    bool second[256];
    CheckerboardSquares(span, 0, span.count, second);
    for (int k = 0; k < span.count; ++k)
        out[k] = second[k] ? color2 : color1;
}

// The board straight as bytes, a span of squares at a time.
bool CheckerboardRow(const kd::PixelSpan& span, std::uint8_t* dst, kd::BlendMode blend) {
    const auto color1 = span.constant<kd::Color4>(0);
    const auto color2 = span.constant<kd::Color4>(16);
    if (!IKStoresAsBytes({color1, color2}, dst, span.count, blend))
        return false;
    const std::uint32_t pixels[2] = {IKPixelBytes(color1), IKPixelBytes(color2)};
    auto* out = reinterpret_cast<std::uint32_t*>(dst);
    bool second[256];
    for (int x = 0; x < span.count; x += 256) {
        const int count = std::min(256, span.count - x);
        CheckerboardSquares(span, x, count, second);
        for (int k = 0; k < count; ++k)
            out[x + k] = pixels[second[k] ? 1 : 0];
    }
    return true;
}

void ColorPixels(const kd::PixelSpan& span, kd::Color4* out) {
    const auto color = span.constant<kd::Color4>(0);
    for (int k = 0; k < span.count; ++k)
        out[k] = color;
}

bool ColorRow(const kd::PixelSpan& span, std::uint8_t* dst, kd::BlendMode blend) {
    const auto color = span.constant<kd::Color4>(0);
    if (!IKStoresAsBytes({color}, dst, span.count, blend))
        return false;
    std::fill_n(reinterpret_cast<std::uint32_t*>(dst), span.count, IKPixelBytes(color));
    return true;
}

float Fraction(float x) {
    return x - std::floor(x);
}

TAVRIN_VECTOR_CLONES void RandomPixels(const kd::PixelSpan& span, kd::Color4* out) {
    for (int k = 0; k < span.count; ++k) {
        const float t = std::sin(12.9898f * U(span, k) + 78.233f * V(span, k));
        out[k] = {Fraction(t * 43758.547f), Fraction(t * 65445.855f), Fraction(t * 12432.345f), 1};
    }
}

} // namespace

TIKGeneratorBase::TIKGeneratorBase(TIKProgram* kernel, QStringList inputNames)
    : FKernel(kernel), FInputNames(std::move(inputNames)) {
    TIKGeneratorBase::Defaults();
}

void TIKGeneratorBase::Defaults() {
    FInputRect = {0, 0, 100, 100};
}

TIKImage* TIKGeneratorBase::GetOutputImage() {
    const TIKRect extent = IKRectOf(FInputRect);
    return RenderKernel(*FKernel, IKRenderInfo(extent, IKOriginRect(extent)), FInputNames);
}

TIKCheckerboardGeneratorFilter::TIKCheckerboardGeneratorFilter()
    : TIKGeneratorBase(&Kernel("TIKCheckerboardGeneratorFilter",
                               [] {
                                   return IKBuildKernel(
                                       "TIKCheckerboardGeneratorFilter",
                                       {kd::flipVertex, CheckerboardPixels, CheckerboardRow},
                                       ptPixel, 64,
                                       {{"InputColor1", 0, 16},
                                        {"InputColor2", 16, 16},
                                        {"InputWidth", 32, 4},
                                        {"OutputExtent", 48, 16}});
                               }),
                       {"InputColor1", "InputColor2", "InputWidth", "OutputExtent"}) {
    TIKCheckerboardGeneratorFilter::Defaults();
}

void TIKCheckerboardGeneratorFilter::Defaults() {
    TIKGeneratorBase::Defaults();
    FInputColor1 = IKQColor(IKWhiteColor);
    FInputColor2 = IKQColor(IKBlackColor);
    FInputWidth = 10;
    FInputWidthMin = 1;
    FInputWidthMax = 1000;
}

void TIKCheckerboardGeneratorFilter::SetInputWidth(float value) {
    FInputWidth = IKRangeValue(value, FInputWidthMin, FInputWidthMax);
}

TIKColorGeneratorFilter::TIKColorGeneratorFilter()
    : TIKGeneratorBase(&Kernel("TIKColorGeneratorFilter",
                               [] {
                                   return IKBuildKernel("TIKColorGeneratorFilter",
                                                        {kd::flipVertex, ColorPixels, ColorRow},
                                                        ptPixel, 16, {{"InputColor", 0, 16}});
                               }),
                       {"InputColor"}) {
    TIKColorGeneratorFilter::Defaults();
}

void TIKColorGeneratorFilter::Defaults() {
    TIKGeneratorBase::Defaults();
    FInputColor = IKQColor(IKWhiteColor);
}

TIKRandomGeneratorFilter::TIKRandomGeneratorFilter()
    : TIKGeneratorBase(
          &Kernel("TIKRandomGeneratorFilter",
                  [] { return IKBuildKernel("TIKRandomGeneratorFilter", RandomPixels, 0, {}); }),
          {}) {}

void IKRegisterGeneratorFilters() {
    TIKFilter::RegisterFilter<TIKCheckerboardGeneratorFilter>("CheckerboardGenerator");
    TIKFilter::RegisterFilter<TIKColorGeneratorFilter>("ColorGenerator");
    TIKFilter::RegisterFilter<TIKRandomGeneratorFilter>("RandomGenerator");
}
