#include "imagekit/IKFilterColorEffect.h"

#include "imagekit/IKKernelFilter.h"
#include "platform/kitdevice/VectorClones.h"

#include <cmath>

using platform::kitdevice::Color4;
using platform::kitdevice::PixelSpan;

namespace {

TAVRIN_VECTOR_CLONES void InvertPixels(const PixelSpan& span, Color4* out) {
    IKMapPixels(span, out, [](const Color4& c) {
        return Color4{c.a - c.r, c.a - c.g, c.a - c.b, c.a};
    });
}

TAVRIN_VECTOR_CLONES void MonochromePixels(const PixelSpan& span, Color4* out) {
    const auto color = span.constant<Color4>(0);
    const auto intensity = span.constant<float>(16);
    IKMapPixels(span, out, [&](const Color4& c) {
        const float y = (0.2126f * c.r + 0.7152f * c.g + 0.0722f * c.b) * intensity;
        return Color4{y * color.r, y * color.g, y * color.b, c.a};
    });
}

TAVRIN_VECTOR_CLONES void PosterizePixels(const PixelSpan& span, Color4* out) {
    const auto levels = span.constant<float>(0);
    const auto step = [levels](float v) { return std::floor(v * levels) / levels; };
    IKMapPixels(span, out, [&](const Color4& c) {
        return Color4{step(c.r), step(c.g), step(c.b), c.a};
    });
}

TAVRIN_VECTOR_CLONES void MaskToAlphaPixels(const PixelSpan& span, Color4* out) {
    IKMapPixels(span, out, [](const Color4& c) { return Color4{c.r, c.r, c.r, c.r}; });
}

TAVRIN_VECTOR_CLONES void SepiaPixels(const PixelSpan& span, Color4* out) {
    const auto intensity = span.constant<float>(0);
    IKMapPixels(span, out, [intensity](const Color4& c) {
        const float r = IKSat(0.393f * c.r + 0.769f * c.g + 0.189f * c.b);
        const float g = IKSat(0.349f * c.r + 0.686f * c.g + 0.168f * c.b);
        const float b = IKSat(0.272f * c.r + 0.534f * c.g + 0.131f * c.b);
        return Color4{r * intensity, g * intensity, b * intensity, c.a * intensity};
    });
}

} // namespace

TIKColorInvertFilter::TIKColorInvertFilter()
    : FKernel(&Kernel("TIKColorInvertFilter",
                      [] { return IKBuildKernel("TIKColorInvertFilter", InvertPixels, 0, {}); })) {
    Defaults();
}

void TIKColorInvertFilter::Defaults() {
    FInputImage = EmptyImage();
}

TIKImage* TIKColorInvertFilter::GetOutputImage() {
    return RenderOverInput(*FKernel, FInputImage, {"InputImage"});
}

TIKColorMonochromeFilter::TIKColorMonochromeFilter()
    : FKernel(&Kernel("TIKColorMonochromeFilter", [] {
          return IKBuildKernel("TIKColorMonochromeFilter", MonochromePixels, 32,
                               {{"InputColor", 0, 16}, {"InputIntensity", 16, 4}});
      })) {
    Defaults();
}

void TIKColorMonochromeFilter::Defaults() {
    FInputImage = EmptyImage();
    FInputColor = QColor::fromRgbF(1, 1, 1, 1);
    FInputIntensityMin = 0;
    FInputIntensityMax = 4;
    FInputIntensity = 1;
}

void TIKColorMonochromeFilter::SetInputIntensity(float value) {
    FInputIntensity = IKRangeValue(value, FInputIntensityMin, FInputIntensityMax);
}

void TIKColorMonochromeFilter::Assign(TIKImage* image, const QColor& color) {
    FInputImage = image;
    FInputColor = color;
}

TIKImage* TIKColorMonochromeFilter::GetOutputImage() {
    return RenderOverInput(*FKernel, FInputImage, {"InputImage", "InputColor", "InputIntensity"});
}

TIKColorPosterizeFilter::TIKColorPosterizeFilter()
    : FKernel(&Kernel("TIKColorPosterizeFilter", [] {
          return IKBuildKernel("TIKColorPosterizeFilter", PosterizePixels, 16,
                               {{"InputLevels", 0, 4}});
      })) {
    Defaults();
}

void TIKColorPosterizeFilter::Defaults() {
    FInputImage = EmptyImage();
    FInputLevelsMin = 1;
    FInputLevelsMax = 100;
    FInputLevels = 10;
}

void TIKColorPosterizeFilter::SetInputLevels(float value) {
    FInputLevels = IKRangeValue(value, FInputLevelsMin, FInputLevelsMax);
}

TIKImage* TIKColorPosterizeFilter::GetOutputImage() {
    return RenderOverInput(*FKernel, FInputImage, {"InputImage", "InputLevels"});
}

TIKMaskToAlphaFilter::TIKMaskToAlphaFilter()
    : FKernel(&Kernel("TIKMaskToAlphaFilter", [] {
          return IKBuildKernel("TIKMaskToAlphaFilter", MaskToAlphaPixels, 0, {});
      })) {
    Defaults();
}

void TIKMaskToAlphaFilter::Defaults() {
    FInputImage = EmptyImage();
}

TIKImage* TIKMaskToAlphaFilter::GetOutputImage() {
    return RenderOverInput(*FKernel, FInputImage, {"InputImage"});
}

TIKSepiaToneFilter::TIKSepiaToneFilter()
    : FKernel(&Kernel("TIKSepiaToneFilter", [] {
          return IKBuildKernel("TIKSepiaToneFilter", SepiaPixels, 16, {{"InputIntensity", 0, 4}});
      })) {
    Defaults();
}

void TIKSepiaToneFilter::Defaults() {
    FInputImage = EmptyImage();
    FInputIntensityMin = 0;
    FInputIntensityMax = 1;
    FInputIntensity = 1;
}

void TIKSepiaToneFilter::SetInputIntensity(float value) {
    FInputIntensity = IKRangeValue(value, FInputIntensityMin, FInputIntensityMax);
}

TIKImage* TIKSepiaToneFilter::GetOutputImage() {
    return RenderOverInput(*FKernel, FInputImage, {"InputImage", "InputIntensity"});
}

void IKRegisterColorEffectFilters() {
    TIKFilter::RegisterFilter<TIKColorInvertFilter>("ColorInvert");
    TIKFilter::RegisterFilter<TIKColorMonochromeFilter>("ColorMonochrome");
    TIKFilter::RegisterFilter<TIKColorPosterizeFilter>("ColorPosterize");
    TIKFilter::RegisterFilter<TIKMaskToAlphaFilter>("MaskToAlpha");
    TIKFilter::RegisterFilter<TIKSepiaToneFilter>("SepiaTone");
}
