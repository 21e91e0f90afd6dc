#include "imagekit/IKFilterComposite.h"

#include "imagekit/IKKernelFilter.h"

namespace kd = platform::kitdevice;

namespace {

// F + (1 - F.a) B on all four channels.
void SourceOverPixels(const kd::PixelSpan& span, kd::Color4* out) {
    kd::Color4 back[256];
    IKSampleShifted(span, 0, 0, 0, out);
    IKSampleShifted(span, 1, 0, 0, back);
    for (int k = 0; k < span.count; ++k) {
        const float keep = 1 - out[k].a;
        out[k] = {out[k].r + keep * back[k].r, out[k].g + keep * back[k].g,
                  out[k].b + keep * back[k].b, out[k].a + keep * back[k].a};
    }
}

} // namespace

TIKSourceOverCompositingFilter::TIKSourceOverCompositingFilter()
    : FKernel(&Kernel("TIKSourceOverCompositingFilter", [] {
          return IKBuildKernel("TIKSourceOverCompositingFilter", SourceOverPixels, 0, {});
      })) {
    Defaults();
}

void TIKSourceOverCompositingFilter::Defaults() {
    FInputImage = EmptyImage();
    FInputBackgroundImage = EmptyImage();
}

void TIKSourceOverCompositingFilter::Assign(TIKImage* image, TIKImage* background) {
    FInputImage = image;
    FInputBackgroundImage = background;
}

TIKImage* TIKSourceOverCompositingFilter::GetOutputImage() {
    return RenderOverInput(*FKernel, FInputImage, {"InputImage", "InputBackgroundImage"});
}

void IKRegisterCompositeFilters() {
    TIKFilter::RegisterFilter<TIKSourceOverCompositingFilter>("SourceOverCompositing");
}
