#include "imagekit/IKFilterBlur.h"

#include "imagekit/IKKernelFilter.h"

namespace kd = platform::kitdevice;

namespace {

// The mean of the samples at i x InputRadius pixels, i = 0..3, right, left, down and up; the
// pixel itself counts four times.
void BoxBlurPixels(const kd::PixelSpan& span, kd::Color4* out) {
    const auto radius = span.constant<float>(0);
    TIKTapSum sum;
    sum.Fill(span.count, 0);
    for (int i = 0; i < 4; ++i) {
        const float d = float(i) * radius;
        for (const auto& [dx, dy] : {std::pair{d, 0.0f}, {-d, 0.0f}, {0.0f, d}, {0.0f, -d}})
            sum.AddShifted(span, 0, dx, dy, 1);
    }
    sum.Colors(span.count, 1 / 16.0f, out);
}

} // namespace

TIKBoxBlurFilter::TIKBoxBlurFilter()
    : FKernel(&Kernel("TIKBoxBlurFilter", [] {
          return IKBuildKernel("TIKBoxBlurFilter", BoxBlurPixels, 16, {{"InputRadius", 0, 4}});
      })) {
    Defaults();
}

void TIKBoxBlurFilter::Defaults() {
    FInputRadius = 10;
    FInputRadiusMin = 0;
    FInputRadiusMax = 100;
    FInputImage = EmptyImage();
}

void TIKBoxBlurFilter::SetInputRadius(float value) {
    FInputRadius = IKRangeValue(value, FInputRadiusMin, FInputRadiusMax);
}

TIKImage* TIKBoxBlurFilter::GetOutputImage() {
    return RenderOverInput(*FKernel, FInputImage, {"InputImage", "InputRadius"});
}

void IKRegisterBlurFilters() {
    TIKFilter::RegisterFilter<TIKBoxBlurFilter>("BoxBlur");
}
