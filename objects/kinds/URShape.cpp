#include "objects/kinds/URShape.h"

#include "graphics/URPropEffect.h"
#include "objects/URObjectText.h"
#include "objects/URPropPlacement.h"
#include "objects/URPropShape.h"
#include "objects/URPropText.h"
#include "platform/render/ContextState.h"

using namespace platform::render;

namespace {

constexpr float NewShapeRoundness = 0.1f;

bool TextErasesBackground(TRObject& object) {
    auto* text = object.Get<TRPropText>(ptText);
    return text && text->FBrushStyle == brsEraseBackGround;
}

GeometryPtr Outline(TRPropBase* shape, const QRectF& r) {
    auto* source = dynamic_cast<TRShapeSource*>(shape);
    GeometryPtr g = source ? source->GetGeometry(r, -1) : nullptr;
    return g ? g : Geometry::rectangle(ToRectF(r));
}

QRectF TextRectangle(TRPropBase* shape, const QRectF& r) {
    auto* group = dynamic_cast<TRPropShape*>(shape);
    return group ? group->GetTextRectangle(r) : r;
}

LayerParameters MaskedBy(GeometryPtr mask, const Matrix3x2& maskTransform = {}) {
    return LayerParameters{RectF::infinite(), std::move(mask), AntialiasMode::Aliased,
                           maskTransform, 1};
}

} // namespace

TRShape::TRShape(TRProject* project, TRObjectType type) : TRDrawable(project, type) {
    FObjectName = QStringLiteral("Shape ") + QString::number(FObjectId);
    for (TRPropertyType checked : {ptBackgroundFill, ptBackgroundBorder})
        if (TRPropBase* group = GetProperty(checked, true))
            group->SetChecked(true);
    if (auto* shape = Get<TRPropShape>(ptShape, true))
        shape->FRoundness = NewShapeRoundness;
}

TRText::TRText(TRProject* project, TRObjectType type) : TRShape(project, type) {
    FObjectName = QStringLiteral("Text ") + QString::number(FObjectId);
    if (TRPropBase* text = GetProperty(ptText, true)) {
        text->SetUseCheckBox(false);
        text->SetExpanded(true);
    }
}

void TRShape::DrawContent(DeviceContext& dc, const QRectF& r, const GeometryPtr& outline) {
    auto* fill = dynamic_cast<TRBrushSource*>(GetProperty(ptBackgroundFill));
    const bool filled = fill && GetProperty(ptBackgroundFill)->Checked();
    const RectF text = ToRectF(TextRectangle(GetProperty(ptShape), r));
    const auto brush = [&] { return fill->Brush(float(r.right()), float(r.bottom()), false); };
    if (!TextErasesBackground(*this)) {
        if (filled)
            dc.fillGeometry(*outline, *brush());
        PaintObjectText(*this, text);
        return;
    }
    if (!filled)
        return;
    const GeometryPtr glyphs = DrawObjectText(*this, text);
    if (!glyphs)
        return;
    dc.pushLayer(MaskedBy(outline->combined(*glyphs, CombineMode::Exclude, {}, 1.0f)));
    dc.fillGeometry(*outline, *brush());
    dc.popLayer();
}

void TRShape::UpdateBitmap() {
    DeviceContext* dc = SceneContext();
    auto* placement = Get<TRPropPlacement>(ptPlacement);
    if (!dc || !placement)
        return;
    TRPropBase* effect = GetProperty(ptEffect);
    const bool effectPass = EffectInBitmap(effect);
    const float bs = CreateBitmaps(effectPass);
    if (!FBitmap)
        return;
    const ContextStateGuard guard(*dc);
    const QRectF r = placement->GetZeroBoundsRect();
    TRPropBase* shape = GetProperty(ptShape);
    const bool pixelate =
        effectPass && static_cast<TRPropEffect*>(effect)->FEffectName == QStringLiteral("Pixelate");
    dc->setTarget(effectPass ? FMediaBitmap : FBitmap);
    dc->beginDraw();
    dc->setTransform(Matrix3x2::translation(bs, bs));
    dc->clear({0, 0, 0, 0});
    // Pixelating the whole rectangle keeps the outline sharp: it clips afterwards.
    DrawContent(*dc, r, pixelate ? Geometry::rectangle(ToRectF(r)) : Outline(shape, r));
    dc->endDraw();
    if (effectPass) {
        dc->setTarget(FBitmap);
        dc->beginDraw();
        dc->setTransform({});
        dc->clear({0, 0, 0, 0});
        if (FMediaBitmap) {
            const SizeU m = FMediaBitmap->pixelSize();
            const ImagePtr image = static_cast<TRPropEffect*>(effect)->Draw(
                FMediaBitmap, TREffectPlace{float(m.width) / 2, float(m.height) / 2, true, 0, 0});
            dc->pushLayer(MaskedBy(Outline(shape, r), Matrix3x2::translation(bs, bs)));
            if (image)
                dc->drawImage(*image, {}, {}, Interpolation::Cubic);
            dc->popLayer();
        }
        dc->endDraw();
    }
    UpdateBitmapBorder(r, shape);
}
