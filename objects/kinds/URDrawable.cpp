#include "objects/kinds/URDrawable.h"

#include "core/URProject.h"
#include "graphics/URPropEffect.h"
#include "graphics/URPropReflection.h"
#include "graphics/URPropShadow.h"
#include "objects/URPropPlacement.h"

#include <cmath>

using namespace platform::render;

namespace {

// The hover outline's colour.
const QColor HoverOutline(0, 120, 215);

bool Checked(const TRPropBase* group) {
    return group && group->Checked();
}

TRReflectionPlacement ReflectionPlacement(const TRPropPlacement& p) {
    return {float(p.FPosition.x()), float(p.FPosition.y()), p.FRotationX, p.FRotationY,
            p.FRotationZ};
}

} // namespace

bool TRDrawable::EffectInBitmap(const TRPropBase* effect) {
    const auto* e = dynamic_cast<const TRPropEffect*>(effect);
    return e && e->Checked() && (e->FInvert || e->FEffectName == QStringLiteral("Colorize"));
}

void TRDrawable::PaintOnScene(bool mouseOver, bool) {
    if (FTimePosition < FTimeStart || FTimePosition > FTimeEnd)
        return;
    DeviceContext* dc = SceneContext();
    if (!dc)
        return;
    UpdateBitmap();
    auto* placement = Get<TRPropPlacement>(ptPlacement);
    if (!FBitmap || !placement)
        return;
    const Matrix3x2 saved = dc->transform();
    const Matrix3x2 placed = placement->GetTransformMatrix() * saved;
    dc->setTransform(placed);
    if (mouseOver)
        PaintHoverOutline();
    else
        PaintComposite(*dc, placed);
    dc->setTransform(saved);
}

float TRDrawable::ShadowRotation(const TRPropPlacement& placement,
                                 const TRTransitionStep& step) const {
    return SceneFamily().ShadowTurnsWithPlacement ? placement.FRotationZ - step.Rotation
                                                  : -step.Rotation;
}

float TRDrawable::SceneDesignScale() const {
    return FProject && FProject->InterfaceOptions.DesignScale > 0
               ? FProject->InterfaceOptions.DesignScale
               : 1.0f;
}

void TRDrawable::PaintHoverOutline() {
    PaintMouseOverRectangle(*SolidBrush(HoverOutline, 1), 1 / SceneDesignScale());
}

TRTransitionStep TRDrawable::SceneTransition(const TRTransitionInput& input) {
    return ApplyTransitionInOut(input);
}

ImagePtr TRDrawable::FamilySteps(ImagePtr image, float w, float h) {
    TRPropBase* effect = GetProperty(ptEffect);
    if (Checked(effect) && !EffectInBitmap(effect))
        image = static_cast<TRPropEffect*>(effect)->Draw(
            image, TREffectPlace{w / 2, h / 2, SceneFamily().EffectOverImage, 0, 0});
    if (auto* border = dynamic_cast<TRBorderSource*>(GetProperty(ptBackgroundBorder));
        border && FBitmapBorder)
        image = border->DrawBlurAndComposite(image, FBitmapBorder);
    return image;
}

void TRDrawable::PaintComposite(DeviceContext& dc, const Matrix3x2& placed) {
    const float w = float(FBitmap->pixelSize().width);
    const float h = float(FBitmap->pixelSize().height);
    ImagePtr image = FamilySteps(FBitmap, w, h);
    auto* placement = Get<TRPropPlacement>(ptPlacement);
    TRTransitionStep step;
    step.Output = image;
    if (ScenePlaybackActive() || (FProject && FProject->Exporting)) {
        std::int32_t projectWidth = 0, projectHeight = 0;
        if (FProject)
            FProject->GetProjectSize(projectWidth, projectHeight);
        step = SceneTransition(TRTransitionInput{image, float(placement->FPosition.x()),
                                                 float(placement->FPosition.y()), w, h,
                                                 float(projectWidth), float(projectHeight)});
        dc.setTransform(step.Transform * placed);
        image = step.Output;
    }
    const float opacity = placement->FOpacity * step.Opacity;
    ImagePtr reflection;
    if (auto* group = dynamic_cast<TRPropReflection*>(GetProperty(ptReflection)); Checked(group))
        reflection = group->ComputeReflection(image, -step.Rotation, opacity, w, h,
                                              ReflectionPlacement(*placement));
    image = placement->DrawRotations(image, int(w), int(h));
    const PointF whole{-std::trunc(w / 2), -std::trunc(h / 2)};
    const PointF centred = SceneFamily().WholePixelShadow ? whole : PointF{-w / 2, -h / 2};
    if (auto* shadow = dynamic_cast<TRPropShadow*>(GetProperty(ptShadow)); Checked(shadow))
        if (const ImagePtr sh =
                shadow->ComputeShadow(image, ShadowRotation(*placement, step), opacity))
            dc.drawImage(*sh, centred, {}, Interpolation::Cubic);
    if (reflection)
        dc.drawImage(*reflection, centred, {}, Interpolation::Cubic);
    if (opacity != 1)
        image = placement->DrawOpacity(image, step.Opacity);
    const PointF offset = SceneFamily().WholePixelOffset ? whole : centred;
    if (image)
        dc.drawImage(*image, offset, {}, Interpolation::Cubic);
}
