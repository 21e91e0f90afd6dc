#include "imagekit/IKFilterCore.h"

#include "imagekit/IKKernelFilter.h"

#include <cmath>
#include <cstdint>

namespace kd = platform::kitdevice;

namespace {

// The vertex stage of the affine kernel: the row vector (x, -y, 1) times the matrix "Affine",
// whose columns sit in the registers at bytes 16, 32 and 48.
kd::Vertex AffineVertex(const kd::Vertex& in, const std::uint8_t* constants) {
    const auto at = [constants](int offset) {
        float value;
        std::memcpy(&value, constants + offset, sizeof value);
        return value;
    };
    return {in.x * at(16) - in.y * at(20) + at(24), in.x * at(32) - in.y * at(36) + at(40), in.u,
            in.v};
}

std::unique_ptr<TIKProgram> AffineKernel(const char* name) {
    return IKBuildKernel(name, {AffineVertex, IKPassThroughPixels, nullptr}, ptVertex, 60,
                         {{"Affine", 16, 44}});
}

TIKMatrix Multiply(std::initializer_list<TIKMatrix> matrices) {
    TIKMatrix product = IKIdentityMatrix;
    for (const TIKMatrix& m : matrices)
        product = IKMultiplyMatrix(product, m);
    return product;
}

// Adds the taps of one Gaussian pass: Weights[0] at the pixel, Weights[i] at i x Quality
// texels on either side along the pass's direction.
template <bool Vertical> void GaussianPixels(const kd::PixelSpan& span, kd::Color4* out) {
    const auto size = span.constant<std::int32_t>(0);
    const auto step = span.constant<float>(4);
    const auto weight = [&span](int i) { return span.constant<float>(16 + 16 * i); };
    TIKTapSum sum;
    sum.Fill(span.count, 0);
    sum.AddShifted(span, 0, 0, 0, weight(0));
    for (int i = 1; i < size; ++i) {
        const float d = float(i) * step;
        sum.AddMirrored(span, 0, Vertical ? 0 : d, Vertical ? d : 0, weight(i));
    }
    sum.Colors(span.count, 1, out);
}

// Sets the weights of a pass: the input copied for radius 0; otherwise taps q pixels apart
// with the weights of radius / q, so that the blur's deviation stays the radius in pixels.
void PrepareGaussian(TIKProgram& program, float radius) {
    if (IKSameValue(radius, 0)) {
        program.SetInt("KernelSize", 0, 0);
        program.SetValue("Quality", 1.0f, 0);
        program.SetValue("Weights", 1.0f, 0);
        return;
    }
    const int q = radius < 20 ? 1 : (radius < 50 ? 2 : 3);
    TIKGaussianKernel kernel;
    IKGaussianKernel(kernel, std::fabs(radius) / float(q));
    program.SetInt("KernelSize", std::uint32_t(kernel.Radius + 1), 0);
    program.SetValue("Quality", float(q), 0);
    for (int i = 0; i <= kernel.Radius; ++i)
        program.SetValue("Weights", kernel.Weight(i), i);
}

std::unique_ptr<TIKProgram> GaussianKernel(const char* name, kd::PixelFunction pixel) {
    return IKBuildKernel(name, pixel, 1604,
                         {{"KernelSize", 0, 4}, {"Quality", 4, 4}, {"Weights", 16, 1588}});
}

} // namespace

TIKCropFilter::TIKCropFilter()
    : FKernel(&Kernel("TIKCropFilter", [] {
          return IKBuildKernel("TIKCropFilter",
                               {kd::flipVertex, IKPassThroughPixels, IKPassThroughRow}, ptPixel, 0,
                               {});
      })) {
    Defaults();
}

void TIKCropFilter::Defaults() {
    FInputRect = {0, 0, 100, 100};
    FInputImage = EmptyImage();
}

QRectF TIKCropFilter::InputRect() const {
    return IKQRect(FInputRect);
}

void TIKCropFilter::SetInputRect(const QRectF& rect) {
    SetRect(IKRectOf(rect));
}

void TIKCropFilter::SetRect(const TIKRect& rect) {
    if (IKSameRect(rect, FInputRect))
        return;
    FInputRect = rect;
    ValueChanged();
}

void TIKCropFilter::SetInputImage(TIKImage* image) {
    if (image == FInputImage)
        return;
    FInputImage = image;
    ValueChanged();
}

TIKImage* TIKCropFilter::GetOutputImage() {
    const TIKRect in = InputExtent(FInputImage);
    return RenderKernel(*FKernel,
                        IKRenderInfo(FInputRect, IKOffsetRect(in, -FInputRect.X, -FInputRect.Y)),
                        {"InputImage"});
}

TIKAffineTransformFilter::TIKAffineTransformFilter()
    : TIKAffineTransformFilter("TIKAffineTransformFilter") {}

TIKAffineTransformFilter::TIKAffineTransformFilter(const char* kernelName)
    : FKernel(&Kernel(kernelName, [kernelName] { return AffineKernel(kernelName); })) {
    TIKAffineTransformFilter::Defaults();
}

void TIKAffineTransformFilter::Defaults() {
    FInputImage = EmptyImage();
    FInputTransform = IKIdentityMatrix;
}

QTransform TIKAffineTransformFilter::InputTransform() const {
    return IKQTransform(FInputTransform);
}

void TIKAffineTransformFilter::SetInputTransform(const QTransform& transform) {
    FInputTransform = IKMatrixOf(transform);
}

void TIKAffineTransformFilter::Assign(TIKImage* image, const TIKMatrix& transform) {
    FInputImage = image;
    FInputTransform = transform;
}

TIKImage* TIKAffineTransformFilter::GetOutputImage() {
    const TIKRect in = InputExtent(FInputImage);
    FInflateLeftTop = {};
    FInflateRightBottom = {};
    // Without area there is nothing to transform, and the scalings would divide by zero.
    if (in.Width == 0 || in.Height == 0) {
        FOutputExtent = {in.X, in.Y, 0, 0};
        return RenderKernel(*FKernel, IKRenderInfo(FOutputExtent, {}), {"InputImage"});
    }
    const float w = in.Width;
    const float h = in.Height;
    const TIKMatrix m =
        Multiply({IKScaleMatrix(w, h), FInputTransform, IKScaleMatrix(1 / w, 1 / h)});
    // The corners are transformed with Y up, as the vertex stage draws, and turned back to
    // image space, so that translations and shears move image and extent alike.
    std::vector<TIKVector> corners;
    for (const TIKVector& c :
         {TIKVector{-1, -1, 1}, TIKVector{1, -1, 1}, TIKVector{1, 1, 1}, TIKVector{-1, 1, 1}}) {
        const TIKVector t = IKTransformVector(c, m);
        corners.push_back({t.X, -t.Y, t.W});
    }
    const TIKRect b = IKVectorsBounds(corners);
    FInflateLeftTop = {(-1 - b.X) * w / 2, (-1 - b.Y) * h / 2};
    FInflateRightBottom = {(b.X + b.Width - 1) * w / 2, (b.Y + b.Height - 1) * h / 2};
    FOutputExtent = IKInflateRect(in, FInflateLeftTop.X, FInflateLeftTop.Y, FInflateRightBottom.X,
                                  FInflateRightBottom.Y);
    return RenderAffine(FOutputExtent, {FOutputExtent.Width, FOutputExtent.Height},
                        {w / 2 + FInflateLeftTop.X, h / 2 + FInflateLeftTop.Y});
}

TIKImage* TIKAffineTransformFilter::RenderAffine(const TIKRect& outputExtent, const TIKSize& units,
                                                 const TIKPoint& centre) {
    const TIKRect in = InputExtent(FInputImage);
    const float tw = outputExtent.Width;
    const float th = outputExtent.Height;
    // The quad lies at the target's corner; its centre goes to the clip origin, the matrix
    // acts there, and the centre moves to where the input's centre lies in the output.
    const TIKMatrix affine =
        Multiply({IKTranslateMatrix(1 - in.Width / tw, in.Height / th - 1),
                  IKScaleMatrix(units.Width, units.Height), FInputTransform,
                  IKScaleMatrix(1 / units.Width, 1 / units.Height),
                  IKTranslateMatrix(2 * centre.X / tw - 1, 1 - 2 * centre.Y / th)});
    const auto prepare = [affine](TIKProgram& program, int pass) {
        if (pass == 0)
            program.SetValue("Affine", affine);
    };
    return RenderKernel(*FKernel,
                        IKRenderInfo(outputExtent, {0, 0, in.Width, in.Height}, false, prepare),
                        {"InputImage"});
}

TIKAffineClampFilter::TIKAffineClampFilter() : TIKAffineTransformFilter("TIKAffineClampFilter") {
    TIKAffineClampFilter::Defaults();
}

void TIKAffineClampFilter::Defaults() {
    TIKAffineTransformFilter::Defaults();
    FInputRect = {0, 0, 100, 100};
}

TIKImage* TIKAffineClampFilter::GetOutputImage() {
    const TIKRect in = InputExtent(FInputImage);
    FOutputExtent = IKRectOf(FInputRect);
    // A unit rectangle without area would divide by zero: nothing is drawn.
    if (in.Width == 0 || in.Height == 0 || FOutputExtent.Width == 0 || FOutputExtent.Height == 0)
        return RenderKernel(*FKernel, IKRenderInfo({in.X, in.Y, 0, 0}, {}), {"InputImage"});
    return RenderAffine(in, {FOutputExtent.Width, FOutputExtent.Height},
                        {in.Width / 2, in.Height / 2});
}

TIKRotationFilter::TIKRotationFilter()
    : FAffineFilter(std::make_unique<TIKAffineTransformFilter>()) {
    Defaults();
}

TIKRotationFilter::~TIKRotationFilter() {
    FAffineFilter.reset();
}

void TIKRotationFilter::Defaults() {
    FInputAngle = 0;
    FInputAngleMin = -180;
    FInputAngleMax = 180;
    FInputImage = EmptyImage();
}

void TIKRotationFilter::ValueChanged() {
    TIKFilter::ValueChanged();
    FAffineFilter->ValueChanged();
}

TIKImage* TIKRotationFilter::GetOutputImage() {
    FAffineFilter->Assign(FInputImage, IKRotationMatrix(FInputAngle));
    return FAffineFilter->GetOutputImage();
}

TIKCustomGaussionFilter::TIKCustomGaussionFilter(const char* kernelName, kd::PixelFunction pixel,
                                                 bool vertical)
    : FKernel(&Kernel(kernelName, [=] { return GaussianKernel(kernelName, pixel); })),
      FVertical(vertical) {}

void TIKCustomGaussionFilter::Assign(TIKImage* image, float radius) {
    FInputImage = image;
    FInputRadius = radius;
}

TIKImage* TIKCustomGaussionFilter::GetOutputImage() {
    const TIKRect in = InputExtent(FInputImage);
    // Nothing to blur: the margin does not make a picture of transparent pixels.
    const bool empty = in.Width <= 0 || in.Height <= 0;
    const float margin =
        (empty || FClamp || IKSameValue(FInputRadius, 0)) ? 0 : std::ceil(FInputRadius * 3);
    const float mx = FVertical ? 0 : margin;
    const float my = FVertical ? margin : 0;
    const float radius = FInputRadius;
    return RenderKernel(*FKernel,
                        IKRenderInfo(IKInflateRect(in, mx, my), {mx, my, in.Width, in.Height},
                                     [radius](TIKProgram& program, int pass) {
                                         if (pass == 0)
                                             PrepareGaussian(program, radius);
                                     }),
                        {"InputImage"});
}

TIKGaussianHFilter::TIKGaussianHFilter()
    : TIKCustomGaussionFilter("TIKGaussianHFilter", GaussianPixels<false>, false) {}

TIKGaussianVFilter::TIKGaussianVFilter()
    : TIKCustomGaussionFilter("TIKGaussianVFilter", GaussianPixels<true>, true) {}

TIKGaussianBlurBase::TIKGaussianBlurBase(bool clamp)
    : FBlurV(std::make_unique<TIKGaussianVFilter>()) {
    FBlurV->SetClamp(clamp);
    FBlurH = std::make_unique<TIKGaussianHFilter>();
    FBlurH->SetClamp(clamp);
    TIKGaussianBlurBase::Defaults();
}

TIKGaussianBlurBase::~TIKGaussianBlurBase() {
    FBlurV.reset();
    FBlurH.reset();
}

void TIKGaussianBlurBase::Defaults() {
    FInputImage = EmptyImage();
    FInputRadius = 5;
    FInputRadiusMin = 0;
    FInputRadiusMax = 100;
}

void TIKGaussianBlurBase::ValueChanged() {
    TIKFilter::ValueChanged();
    FBlurH->ValueChanged();
    FBlurV->ValueChanged();
}

void TIKGaussianBlurBase::SetInputImage(TIKImage* image) {
    if (image == FInputImage)
        return;
    FInputImage = image;
    ValueChanged();
}

void TIKGaussianBlurBase::SetInputRadius(float radius) {
    if (IKSameValue(radius, FInputRadius))
        return;
    FInputRadius = radius;
    ValueChanged();
}

TIKImage* TIKGaussianBlurBase::GetOutputImage() {
    FBlurH->Assign(FInputImage, FInputRadius);
    TIKImage* horizontal = FBlurH->GetOutputImage();
    FBlurV->Assign(horizontal, FInputRadius);
    return FBlurV->GetOutputImage();
}

void IKRegisterCoreFilters() {
    TIKFilter::RegisterFilter<TIKCropFilter>("Crop");
    TIKFilter::RegisterFilter<TIKAffineTransformFilter>("AffineTransform");
    TIKFilter::RegisterFilter<TIKAffineClampFilter>("AffineClamp");
    TIKFilter::RegisterFilter<TIKRotationFilter>("Rotation");
    TIKFilter::RegisterFilter<TIKGaussianBlurFilter>("GaussianBlur");
    TIKFilter::RegisterFilter<TIKGaussianBlurClampFilter>("GaussianBlurClamp");
}
