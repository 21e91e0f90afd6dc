#include "imagekit/IKFilterChain.h"

#include "imagekit/IKKernelFilter.h"

namespace {

std::unique_ptr<TIKGaussianBlurBase> MakeBlur(bool clamp) {
    if (clamp)
        return std::make_unique<TIKGaussianBlurClampFilter>();
    return std::make_unique<TIKGaussianBlurFilter>();
}

std::unique_ptr<TIKCropFilter> MakeCropUnless(bool clamp) {
    return clamp ? nullptr : std::make_unique<TIKCropFilter>();
}

} // namespace

TIKGlowBase::TIKGlowBase(bool clamp)
    : FBlur(MakeBlur(clamp)), FCrop(MakeCropUnless(clamp)),
      FBlend(std::make_unique<TIKSourceOverCompositingFilter>()),
      FMonochrome(std::make_unique<TIKColorMonochromeFilter>()) {
    TIKGlowBase::Defaults();
}

TIKGlowBase::~TIKGlowBase() {
    FMonochrome.reset();
    FBlend.reset();
    FCrop.reset();
    FBlur.reset();
}

void TIKGlowBase::Defaults() {
    FInputImage = EmptyImage();
    FInputColor = IKQColor(IKRedColor);
    FInputRadius = 5;
    FInputIntensity = 2;
}

void TIKGlowBase::ValueChanged() {
    TIKFilter::ValueChanged();
    FBlur->ValueChanged();
    if (FCrop)
        FCrop->ValueChanged();
    FMonochrome->ValueChanged();
    FBlend->ValueChanged();
}

TIKImage* TIKGlowBase::GetOutputImage() {
    FBlur->SetInputImage(FInputImage);
    FBlur->SetInputRadius(FInputRadius);
    TIKImage* blurred = FBlur->OutputImage();
    TIKImage* front = FInputImage;
    if (FCrop) {
        // The unblurred image padded with transparent pixels to the blurred size.
        FCrop->SetInputImage(FInputImage);
        FCrop->SetRect(InputExtent(blurred));
        front = FCrop->OutputImage();
    }
    FMonochrome->Assign(blurred, FInputColor);
    FMonochrome->SetInputIntensity(FInputIntensity);
    FBlend->Assign(front, FMonochrome->OutputImage());
    return FBlend->GetOutputImage();
}

TIKShadowBase::TIKShadowBase(bool clamp)
    : FBlur(MakeBlur(clamp)), FCrop(MakeCropUnless(clamp)),
      FCrop2(std::make_unique<TIKCropFilter>()),
      FBlend(std::make_unique<TIKSourceOverCompositingFilter>()),
      FMonochrome(std::make_unique<TIKColorMonochromeFilter>()) {
    TIKShadowBase::Defaults();
}

TIKShadowBase::~TIKShadowBase() {
    FMonochrome.reset();
    FBlend.reset();
    FCrop2.reset();
    FCrop.reset();
    FBlur.reset();
}

void TIKShadowBase::Defaults() {
    FInputImage = EmptyImage();
    FInputColor = IKQColor(IKBlackColor);
    FInputOffset = {0, 3};
    FInputRadius = 3;
    FInputOpacity = 0.5;
}

void TIKShadowBase::ValueChanged() {
    TIKFilter::ValueChanged();
    FBlur->ValueChanged();
    if (FCrop)
        FCrop->ValueChanged();
    FCrop2->ValueChanged();
    FMonochrome->ValueChanged();
    FBlend->ValueChanged();
}

void TIKShadowBase::SetUndefinedValue(const QString& name, const TIKValue& value) {
    TIKFilter::SetUndefinedValue(name, value);
    if (name.compare(QLatin1String("InputOffset"), Qt::CaseInsensitive) == 0 &&
        value.Kind() == TIKValueKind::ivPoint) {
        const TIKPoint p = value.AsPoint();
        FInputOffset = {p.X, p.Y};
    }
}

TIKImage* TIKShadowBase::GetOutputImage() {
    const float dx = float(FInputOffset.x());
    const float dy = float(FInputOffset.y());
    FBlur->SetInputImage(FInputImage);
    FBlur->SetInputRadius(FInputRadius);
    TIKImage* blurred = FBlur->OutputImage();
    TIKImage* front = FInputImage;
    // The area the shadow is cut from, before it moves by the offset.
    TIKRect shadowArea = IKOffsetRect(InputExtent(FInputImage), -dx, -dy);
    if (FCrop) {
        const TIKRect e = InputExtent(blurred);
        FCrop->SetInputImage(FInputImage);
        FCrop->SetRect(IKUnionRect(e, IKOffsetRect(e, dx, dy)));
        front = FCrop->OutputImage();
        shadowArea = IKOffsetRect(FCrop->Rect(), -dx, -dy);
    }
    FMonochrome->Assign(blurred, FInputColor);
    FMonochrome->SetInputIntensity(FInputOpacity);
    FCrop2->SetInputImage(FMonochrome->OutputImage());
    FCrop2->SetRect(shadowArea);
    // The compositor reads both images at the same texture coordinate: the shadow, cut from
    // the area moved back by the offset, lies moved by the offset behind the image.
    FBlend->Assign(front, FCrop2->OutputImage());
    return FBlend->GetOutputImage();
}

void IKRegisterChainFilters() {
    TIKFilter::RegisterFilter<TIKGlowFilter>("Glow");
    TIKFilter::RegisterFilter<TIKGlowClampFilter>("GlowClamp");
    TIKFilter::RegisterFilter<TIKShadowFilter>("Shadow");
    TIKFilter::RegisterFilter<TIKShadowClampFilter>("ShadowClamp");
}
