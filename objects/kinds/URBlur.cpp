#include "objects/kinds/URBlur.h"

#include "core/URPropTransition.h"
#include "graphics/URPropEffect.h"
#include "objects/URPropPlacement.h"
#include "objects/kinds/URKindHelpers.h"

#include <cmath>

using namespace platform::render;

TRBlur::TRBlur(TRProject* project, TRObjectType type) : TRObject(project, type) {
    FObjectName = QStringLiteral("Video Effect ") + QString::number(FObjectId);
    FTrIn->SetChecked(false);
    FTrOut->SetChecked(false);
    if (TRPropBase* effect = GetProperty(ptEffect, true))
        effect->SetUseCheckBox(false);
}

QString TRBlur::GetText() const {
    const auto* effect = const_cast<TRBlur*>(this)->Get<TRPropEffect>(ptEffect);
    return effect ? effect->FEffectName : QString();
}

void TRBlur::PaintOnScene(bool mouseOver, bool) {
    DeviceContext* dc = SceneContext();
    if (mouseOver || !dc || FTimePosition < FTimeStart || FTimePosition > FTimeEnd)
        return;
    const Matrix3x2 s = dc->transform();
    const SizeU size = dc->targetPixelSize();
    if (!EnsureTargetBitmap(FBitmap, size) ||
        !dc->copyFromTarget(*FBitmap, {0, 0},
                            RectL{0, 0, std::int32_t(size.width), std::int32_t(size.height)}))
        return;
    PaintEffect(*dc, s);
    PaintBorder(*dc, s);
    dc->setTransform(s);
}

void TRBlur::PaintEffect(DeviceContext& dc, const Matrix3x2& s) {
    auto* placement = Get<TRPropPlacement>(ptPlacement);
    auto* effect = Get<TRPropEffect>(ptEffect);
    if (!placement || !effect)
        return;
    const QRectF bounds = placement->GetBoundsRect();
    const PointF centre =
        s.transformPoint(PointF{float(placement->FPosition.x()), float(placement->FPosition.y())});
    const float d = float(std::min(bounds.width(), bounds.height()) / 2);
    const SizeU size = FBitmap->pixelSize();
    const float diagonal = std::hypot(float(size.width), float(size.height));
    const bool inverted = effect->FInvert;
    const ImagePtr processed =
        effect->Draw(FBitmap, TREffectPlace{centre.x, centre.y, false, inverted ? diagonal : d,
                                            inverted ? d : 0});
    if (!processed)
        return;
    const LayerParameters region{RectF::infinite(), ShapeOutline(*this, bounds),
                                 AntialiasMode::Aliased, placement->GetTransformMatrixWithRZ(), 1};
    if (inverted) {
        // The effect everywhere, then the untouched frame again inside the region.
        dc.setTransform({});
        dc.drawImage(*processed, {}, {}, Interpolation::Cubic);
        dc.setTransform(s);
        dc.pushLayer(region);
        dc.setTransform({});
        dc.drawImage(*FBitmap, {}, {}, Interpolation::Cubic);
    } else {
        dc.pushLayer(region);
        dc.setTransform({});
        dc.drawImage(*processed, {}, {}, Interpolation::Cubic);
    }
    dc.popLayer();
}

void TRBlur::PaintBorder(DeviceContext& dc, const Matrix3x2& s) {
    CreateAndUpdateBitmapBorder();
    auto* placement = Get<TRPropPlacement>(ptPlacement);
    if (!FBitmapBorder || !placement)
        return;
    dc.setTransform(placement->GetTransformMatrixWithRZ() * s);
    ImagePtr border = FBitmapBorder;
    if (auto* group = dynamic_cast<TRBorderSource*>(GetProperty(ptBackgroundBorder)))
        border = group->DrawBlurAndComposite(nullptr, FBitmapBorder);
    const SizeU size = FBitmapBorder->pixelSize();
    if (border)
        dc.drawImage(*border, {-float(size.width) / 2, -float(size.height) / 2}, {},
                     Interpolation::Cubic);
}
