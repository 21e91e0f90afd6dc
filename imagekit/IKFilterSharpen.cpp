#include "imagekit/IKFilterSharpen.h"

#include "imagekit/IKKernelFilter.h"

namespace kd = platform::kitdevice;

namespace {

// rgb = c + InputAmount (upper-left - lower-right); alpha = c's. The 8-bit target clamps.
void SharpenPixels(const kd::PixelSpan& span, kd::Color4* out) {
    const auto amount = span.constant<float>(0);
    kd::Color4 up[256];
    kd::Color4 down[256];
    IKSampleShifted(span, 0, 0, 0, out);
    IKSampleShifted(span, 0, -1, -1, up);
    IKSampleShifted(span, 0, 1, 1, down);
    for (int k = 0; k < span.count; ++k) {
        out[k].r += amount * (up[k].r - down[k].r);
        out[k].g += amount * (up[k].g - down[k].g);
        out[k].b += amount * (up[k].b - down[k].b);
    }
}

} // namespace

TIKSharpenFilter::TIKSharpenFilter()
    : FKernel(&Kernel("TIKSharpenFilter", [] {
          return IKBuildKernel("TIKSharpenFilter", SharpenPixels, 16, {{"InputAmount", 0, 4}});
      })) {
    Defaults();
}

void TIKSharpenFilter::Defaults() {
    FInputAmountMin = 0;
    FInputAmountMax = 2;
    FInputAmount = 1;
    FInputImage = EmptyImage();
}

void TIKSharpenFilter::SetInputAmount(float value) {
    FInputAmount = IKRangeValue(value, FInputAmountMin, FInputAmountMax);
}

TIKImage* TIKSharpenFilter::GetOutputImage() {
    return RenderOverInput(*FKernel, FInputImage, {"InputImage", "InputAmount"});
}

void IKRegisterSharpenFilters() {
    TIKFilter::RegisterFilter<TIKSharpenFilter>("Sharpen");
}
