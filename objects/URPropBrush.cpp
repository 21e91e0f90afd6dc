#include "objects/URPropBrush.h"

TRPropBrush::TRPropBrush(TRPropertyType type, TRColorStops stops)
    : TRPropWithStops<TRPropBase>(type) {
    FColors = std::move(stops);
}

void VisitBrushFields(TRPropFields& fields, TRBrushStyle& style, float& rotation, float& opacity) {
    fields.Enum("Style", style, brsEraseBackGround);
    fields.Float("Rotation", rotation);
    fields.Float("Opacity", opacity);
}

void TRPropBrush::VisitFields(TRPropFields& fields) {
    VisitBrushFields(fields, FBrushStyle, FRotation, FOpacity);
}

platform::render::BrushPtr TRPropBrush::Brush(float width, float height, bool translate) const {
    return ColorStopsBrush(FColors, FBrushStyle, FRotation, FOpacity, width, height, translate);
}

void TRPropBrush::EaseTo(float pos, const TRPropBase* to, TRPropBase* destination) const {
    const auto* target = dynamic_cast<const TRPropBrush*>(to);
    auto* result = dynamic_cast<TRPropBrush*>(destination);
    if (!target || !result)
        return;
    const auto copy = [result](const TRPropBrush& source, float opacity) {
        result->FBrushStyle = source.FBrushStyle;
        result->FRotation = source.FRotation;
        result->FColors.CopyFirstTwo(source.FColors);
        result->FOpacity = opacity;
    };
    switch (EaseCaseOf(*this, *target)) {
    case TREaseCase::Both:
        result->FBrushStyle = FBrushStyle;
        result->FRotation = EaseFloat(FRotation, target->FRotation, pos);
        result->FOpacity = EaseFloat(FOpacity, target->FOpacity, pos);
        result->FColors.EaseFirstTwo(FColors, target->FColors, pos);
        break;
    case TREaseCase::FadeOut:
        copy(*this, static_cast<float>(double(FOpacity) * (1.0 - pos)));
        break;
    case TREaseCase::FadeIn:
        copy(*target, static_cast<float>(double(pos) * target->FOpacity));
        break;
    case TREaseCase::Neither:
        break;
    }
}
