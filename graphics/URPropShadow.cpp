#include "graphics/URPropShadow.h"

#include "graphics/UREffectGroup.h"
#include "platform/render/BuiltinEffects.h"
#include "platform/render/StandardEffects.h"

#include <cmath>
#include <numbers>

using namespace platform::render;

TRPropShadow::TRPropShadow() : TRPropBase(ptShadow, true, true, false) {}

void TRPropShadow::VisitFields(TRPropFields& fields) {
    fields.Color("Color", FColor);
    fields.Float("Offset", FOffset);
    fields.Float("Angle", FAngle);
    fields.Float("Opacity", FOpacity);
    fields.Float("Blur", FBlur);
}

void TRPropShadow::EaseTo(float pos, const TRPropBase* to, TRPropBase* destination) const {
    const auto* next = dynamic_cast<const TRPropShadow*>(to);
    auto* result = dynamic_cast<TRPropShadow*>(destination);
    if (!next || !result)
        return;
    const TREaseCase ease = EaseCaseOf(*this, *next);
    if (ease == TREaseCase::Neither)
        return;
    result->FColor = EaseHold(ease, FColor, next->FColor);
    result->FOffset = EaseBlend(ease, FOffset, next->FOffset, pos);
    result->FAngle = EaseBlend(ease, FAngle, next->FAngle, pos);
    result->FBlur = EaseBlend(ease, FBlur, next->FBlur, pos);
    result->FOpacity = EaseToward(ease, FOpacity, next->FOpacity, pos, 0);
}

ImagePtr TRPropShadow::ComputeShadow(const ImagePtr& input, float rotation, float opacity) const {
    const EffectPtr& shadow = SceneEffect(FShadowEffect, effects::Shadow);
    const EffectPtr& move = SceneEffect(FAffineTransform, effects::AffineTransform2D);
    if (!shadow || !move || !input)
        return input;
    const Vector3 rgb = ColorComponents(FColor);
    shadow->setInput(0, input);
    shadow->setValue(effects::ShadowColor, Vector4{rgb.x, rgb.y, rgb.z, FOpacity * opacity});
    shadow->setValue(effects::ShadowBlurStandardDeviation, FBlur);
    const double a = (-90 - (FAngle - rotation)) * std::numbers::pi / 180;
    move->setInput(0, shadow->output());
    move->setValue(effects::AffineMatrix, Matrix3x2::translation(float(FOffset * std::cos(a)),
                                                                 float(FOffset * std::sin(a))));
    return move->output();
}
