#include "imagekit/IKFilterStylize.h"

#include "imagekit/IKKernelFilter.h"

#include <cmath>

namespace kd = platform::kitdevice;

namespace {

// Weight (dy, dx) is m(dy + 2, dx + 2): column dx + 2 fills the register at 16 (dx + 1), and
// the bias is the fourth float of the third register.
void ConvolutionPixels(const kd::PixelSpan& span, kd::Color4* out) {
    const auto bias = span.constant<float>(44);
    kd::Color4 tap[256];
    for (int k = 0; k < span.count; ++k)
        out[k] = {bias, bias, bias, bias};
    for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx) {
            const auto w = span.constant<float>(16 * (dx + 1) + 4 * (dy + 1));
            if (w == 0)
                continue;
            IKSampleShifted(span, 0, float(dx), float(dy), tap);
            for (int k = 0; k < span.count; ++k) {
                out[k].r += w * tap[k].r;
                out[k].g += w * tap[k].g;
                out[k].b += w * tap[k].b;
                out[k].a += w * tap[k].a;
            }
        }
    for (int k = 0; k < span.count; ++k)
        out[k] = {IKSat(out[k].r), IKSat(out[k].g), IKSat(out[k].b), IKSat(out[k].a)};
}

// Samples each block's centre once for the run of pixels inside it.
void PixellatePixels(const kd::PixelSpan& span, kd::Color4* out) {
    const kd::Texture* texture = (*span.textures)[0].texture;
    const auto scale = span.constant<float>(0);
    if (!texture) {
        span.sample(0, out);
        return;
    }
    const auto w = float(texture->width());
    const auto h = float(texture->height());
    float lastU = NAN;
    float lastV = NAN;
    for (int k = 0; k < span.count; ++k) {
        const float u =
            (std::floor((span.u + span.du * float(k)) * w / scale) * scale + scale / 2) / w;
        const float v =
            (std::floor((span.v + span.dv * float(k)) * h / scale) * scale + scale / 2) / h;
        if (k > 0 && u == lastU && v == lastV) {
            out[k] = out[k - 1];
            continue;
        }
        kd::PixelSpan one = span;
        one.count = 1;
        one.u = u;
        one.v = v;
        one.sample(0, out + k);
        lastU = u;
        lastV = v;
    }
}

} // namespace

TIKConvolution3X3Filter::TIKConvolution3X3Filter()
    : FKernel(&Kernel("TIKConvolution3X3Filter", [] {
          return IKBuildKernel("TIKConvolution3X3Filter", ConvolutionPixels, 48,
                               {{"InputWeights", 0, 44}, {"InputBias", 44, 4}});
      })) {
    Defaults();
}

void TIKConvolution3X3Filter::Defaults() {
    FInputWeights = IKIdentityKernel;
    FInputBias = 0;
    FInputImage = EmptyImage();
}

QTransform TIKConvolution3X3Filter::InputWeights() const {
    return IKQTransform(FInputWeights);
}

void TIKConvolution3X3Filter::SetInputWeights(const QTransform& weights) {
    FInputWeights = IKMatrixOf(weights);
}

TIKImage* TIKConvolution3X3Filter::GetOutputImage() {
    return RenderOverInput(*FKernel, FInputImage, {"InputImage", "InputWeights", "InputBias"});
}

TIKPixellateFilter::TIKPixellateFilter()
    : FKernel(&Kernel("TIKPixellateFilter", [] {
          return IKBuildKernel("TIKPixellateFilter", PixellatePixels, 16, {{"InputScale", 0, 4}});
      })) {
    Defaults();
}

void TIKPixellateFilter::Defaults() {
    FInputScaleMin = 1;
    FInputScaleMax = 100;
    FInputScale = 8;
    FInputImage = EmptyImage();
}

void TIKPixellateFilter::SetInputScale(float value) {
    FInputScale = IKRangeValue(value, FInputScaleMin, FInputScaleMax);
}

TIKImage* TIKPixellateFilter::GetOutputImage() {
    return RenderOverInput(*FKernel, FInputImage, {"InputImage", "InputScale"});
}

void IKRegisterStylizeFilters() {
    TIKFilter::RegisterFilter<TIKConvolution3X3Filter>("Convolution3X3");
    TIKFilter::RegisterFilter<TIKPixellateFilter>("Pixellate");
}
