#include "imagekit/IKFilterStylize.h"

#include "imagekit/IKKernelFilter.h"
#include "platform/kitdevice/VectorClones.h"

#include <cmath>

namespace kd = platform::kitdevice;

namespace {

// Weight (dy, dx) is m(dy + 2, dx + 2): column dx + 2 fills the register at 16 (dx + 1), and
// the bias is the fourth float of the third register.
void ConvolutionPixels(const kd::PixelSpan& span, kd::Color4* out) {
    const auto bias = span.constant<float>(44);
    TIKTapSum sum;
    sum.Fill(span.count, bias);
    for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx) {
            const auto w = span.constant<float>(16 * (dx + 1) + 4 * (dy + 1));
            if (w != 0)
                sum.AddShifted(span, 0, float(dx), float(dy), w);
        }
    sum.Colors(span.count, 1, out);
    for (int k = 0; k < span.count; ++k)
        out[k] = {IKSat(out[k].r), IKSat(out[k].g), IKSat(out[k].b), IKSat(out[k].a)};
}

// The texture coordinate of the centre of the block of `scale` texels holding each of `count`
// coordinates from `start`, `step` apart, along a side of `size` texels.
TAVRIN_VECTOR_CLONES void BlockCentres(float start, float step, float size, float scale, int count,
                                       float* out) {
    for (int k = 0; k < count; ++k)
        out[k] = (std::floor((start + step * float(k)) * size / scale) * scale + scale / 2) / size;
}

// Samples each block's centre once for the run of pixels inside it.
void PixellatePixels(const kd::PixelSpan& span, kd::Color4* out) {
    const kd::Texture* texture = (*span.textures)[0].texture;
    const auto scale = span.constant<float>(0);
    if (!texture) {
        span.sample(0, out);
        return;
    }
    float u[256];
    float v[256];
    BlockCentres(span.u, span.du, float(texture->width()), scale, span.count, u);
    BlockCentres(span.v, span.dv, float(texture->height()), scale, span.count, v);
    for (int k = 0; k < span.count; ++k) {
        if (k > 0 && u[k] == u[k - 1] && v[k] == v[k - 1]) {
            out[k] = out[k - 1];
            continue;
        }
        kd::PixelSpan one = span;
        one.count = 1;
        one.u = u[k];
        one.v = v[k];
        one.sample(0, out + k);
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
