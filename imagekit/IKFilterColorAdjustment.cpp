#include "imagekit/IKFilterColorAdjustment.h"

#include "imagekit/IKKernelFilter.h"
#include "platform/kitdevice/VectorClones.h"

#include <algorithm>
#include <cmath>

using platform::kitdevice::Color4;
using platform::kitdevice::PixelSpan;

namespace {

TAVRIN_VECTOR_CLONES void ClampPixels(const PixelSpan& span, Color4* out) {
    const auto lo = span.constant<Color4>(0);
    const auto hi = span.constant<Color4>(16);
    const auto clamp = [](float v, float a, float b) { return std::min(std::max(v, a), b); };
    IKMapPixels(span, out, [&](const Color4& c) {
        return Color4{clamp(c.r, lo.r, hi.r), clamp(c.g, lo.g, hi.g), clamp(c.b, lo.b, hi.b),
                      clamp(c.a, lo.a, hi.a)};
    });
}

void GammaPixels(const PixelSpan& span, Color4* out) {
    const auto power = span.constant<float>(0);
    const auto gamma = [power](float v) { return std::exp2(power * std::log2(v)); };
    IKMapPixels(span, out, [&](const Color4& c) {
        return Color4{gamma(c.r), gamma(c.g), gamma(c.b), c.a};
    });
}

float Fraction(float v) {
    return v - std::floor(v);
}

// The colour with its hue turned by `turn` of a full circle; chroma and lightness kept.
Color4 TurnHue(const Color4& c, float turn) {
    struct Four {
        float x, y, z, w;
    };
    const Four p = c.g < c.b ? Four{c.b, c.g, -1, 2 / 3.0f} : Four{c.g, c.b, 0, -1 / 3.0f};
    const Four q = c.r < p.x ? Four{p.x, p.y, p.w, c.r} : Four{c.r, p.y, p.z, p.x};
    const float chroma = q.x - std::min(q.w, q.y);
    const float hue = std::fabs((q.w - q.y) / (6 * chroma + 1e-10f) + q.z);
    const float lightness = q.x - chroma / 2;
    const float h = Fraction(hue + turn);
    const float r = IKSat(std::fabs(6 * h - 3) - 1);
    const float g = IKSat(2 - std::fabs(6 * h - 2));
    const float b = IKSat(2 - std::fabs(6 * h - 4));
    return {(r - 0.5f) * chroma + lightness, (g - 0.5f) * chroma + lightness,
            (b - 0.5f) * chroma + lightness, c.a};
}

TAVRIN_VECTOR_CLONES void HuePixels(const PixelSpan& span, Color4* out) {
    const float turn = span.constant<float>(0) / 360;
    IKMapPixels(span, out, [turn](const Color4& c) { return TurnHue(c, turn); });
}

} // namespace

TIKColorClampFilter::TIKColorClampFilter()
    : FKernel(&Kernel("TIKColorClampFilter", [] {
          return IKBuildKernel("TIKColorClampFilter", ClampPixels, 32,
                               {{"InputMinColor", 0, 16}, {"InputMaxColor", 16, 16}});
      })) {
    Defaults();
}

void TIKColorClampFilter::Defaults() {
    FInputImage = EmptyImage();
    FInputMinColor = QColor::fromRgbF(0, 0, 0, 0);
    FInputMaxColor = QColor::fromRgbF(1, 1, 1, 1);
}

TIKImage* TIKColorClampFilter::GetOutputImage() {
    return RenderOverInput(*FKernel, FInputImage, {"InputImage", "InputMinColor", "InputMaxColor"});
}

TIKGammaAdjustFilter::TIKGammaAdjustFilter()
    : FKernel(&Kernel("TIKGammaAdjustFilter", [] {
          return IKBuildKernel("TIKGammaAdjustFilter", GammaPixels, 16, {{"InputPower", 0, 4}});
      })) {
    Defaults();
}

void TIKGammaAdjustFilter::Defaults() {
    FInputImage = EmptyImage();
    FInputPowerMin = 0.25f;
    FInputPowerMax = 4;
    FInputPower = 0.75f;
}

void TIKGammaAdjustFilter::SetInputPower(float value) {
    FInputPower = IKRangeValue(value, FInputPowerMin, FInputPowerMax);
}

TIKImage* TIKGammaAdjustFilter::GetOutputImage() {
    return RenderOverInput(*FKernel, FInputImage, {"InputImage", "InputPower"});
}

TIKHueAdjustFilter::TIKHueAdjustFilter()
    : FKernel(&Kernel("TIKHueAdjustFilter", [] {
          return IKBuildKernel("TIKHueAdjustFilter", HuePixels, 16, {{"InputAngle", 0, 4}});
      })) {
    Defaults();
}

void TIKHueAdjustFilter::Defaults() {
    FInputImage = EmptyImage();
    FInputAngleMin = -180;
    FInputAngleMax = 180;
    FInputAngle = 0;
}

void TIKHueAdjustFilter::SetInputAngle(float value) {
    FInputAngle = IKRangeValue(value, FInputAngleMin, FInputAngleMax);
}

TIKImage* TIKHueAdjustFilter::GetOutputImage() {
    return RenderOverInput(*FKernel, FInputImage, {"InputImage", "InputAngle"});
}

void IKRegisterColorAdjustmentFilters() {
    TIKFilter::RegisterFilter<TIKColorClampFilter>("ColorClamp");
    TIKFilter::RegisterFilter<TIKGammaAdjustFilter>("GammaAdjust");
    TIKFilter::RegisterFilter<TIKHueAdjustFilter>("HueAdjust");
}
