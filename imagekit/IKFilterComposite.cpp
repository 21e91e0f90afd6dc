#include "imagekit/IKFilterComposite.h"

#include "imagekit/IKKernelFilter.h"
#include "platform/kitdevice/Device.h"

#include <cstring>

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

// Both images read one to one onto a run that is copied over or still clear: the background's
// texels with the image laid over them as bytes, which rounds as the pixel function and the
// blend would.
bool SourceOverRow(const kd::PixelSpan& span, std::uint8_t* dst, kd::BlendMode blend) {
    const std::uint8_t* front = span.texels(0);
    const std::uint8_t* back = span.texels(1);
    if (!front || !back || blend == kd::BlendMode::Additive ||
        (blend == kd::BlendMode::Normal && !IKClearRun(dst, span.count)))
        return false;
    std::memcpy(dst, back, std::size_t(span.count) * 4);
    kd::blendRowSourceOver(dst, front, span.count);
    return true;
}

} // namespace

TIKSourceOverCompositingFilter::TIKSourceOverCompositingFilter()
    : FKernel(&Kernel("TIKSourceOverCompositingFilter", [] {
          return IKBuildKernel("TIKSourceOverCompositingFilter",
                               {kd::flipVertex, SourceOverPixels, SourceOverRow}, ptPixel, 0, {});
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
