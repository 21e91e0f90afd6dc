#include "graphics/URPropReflection.h"

#include "graphics/URCECircular.h"
#include "graphics/UREffectGroup.h"
#include "platform/render/StandardEffects.h"

#include <algorithm>

using namespace platform::render;

TRPropReflection::TRPropReflection() : TRPropBase(ptReflection) {}

void TRPropReflection::VisitFields(TRPropFields& fields) {
    fields.Float("Offset", FOffset);
    fields.Float("Blur", FBlur);
    fields.Float("Effect", FEffect);
    fields.Float("Opacity", FOpacity);
    fields.Float("Height", FHeight);
}

void TRPropReflection::EaseTo(float pos, const TRPropBase* to, TRPropBase* destination) const {
    const auto* next = dynamic_cast<const TRPropReflection*>(to);
    auto* result = dynamic_cast<TRPropReflection*>(destination);
    if (!next || !result)
        return;
    const TREaseCase ease = EaseCaseOf(*this, *next);
    if (ease == TREaseCase::Neither)
        return;
    result->FOffset = EaseBlend(ease, FOffset, next->FOffset, pos);
    result->FBlur = EaseBlend(ease, FBlur, next->FBlur, pos);
    result->FEffect = EaseBlend(ease, FEffect, next->FEffect, pos);
    result->FHeight = EaseBlend(ease, FHeight, next->FHeight, pos);
    result->FOpacity = EaseToward(ease, FOpacity, next->FOpacity, pos, 0);
}

Matrix4x4 ReflectionMatrix(float width, float height, float offset,
                           const TRReflectionPlacement& placement) {
    return Matrix4x4::translation(-width / 2, -height / 2, 0) *
           Matrix4x4::rotationX(-180 - placement.RotationX) *
           Matrix4x4::rotationY(placement.RotationY) * Matrix4x4::rotationZ(-placement.RotationZ) *
           Matrix4x4::translation(placement.X, placement.Y + height + offset, 0) *
           Matrix4x4::perspectiveProjection(1000) *
           Matrix4x4::translation(width / 2, height / 2, 0) *
           Matrix4x4::translation(-placement.X, -placement.Y, 0);
}

ImagePtr TRPropReflection::ComputeReflection(const ImagePtr& input, float, float opacity,
                                             float width, float height,
                                             const TRReflectionPlacement& placement) const {
    const EffectPtr& mask = SceneEffect(FCircularEffect, CLSID_CECircular);
    const EffectPtr& ripple = SceneEffect(FDisplacementEffect, effects::DisplacementMap);
    const EffectPtr& noise = SceneEffect(FTurbulenceEffect, effects::Turbulence);
    const EffectPtr& blur = SceneEffect(FDirBlurEffect, effects::DirectionalBlur);
    const EffectPtr& mirror = SceneEffect(FTransformEffect, effects::Transform3D);
    if (!mask || !ripple || !noise || !blur || !mirror || !input)
        return input;
    mask->setInput(0, input);
    mask->setValue(0, 6.0f);
    mask->setValue(4, height * FHeight / 100);
    mask->setValue(8, FOpacity * opacity);
    mask->setValue(9, height);
    ImagePtr result = mask->output();
    if (FEffect != 0) {
        const float m = std::max(width, height);
        noise->setValue(effects::TurbulenceSize, Vector2{2 * m, 2 * m});
        ripple->setInput(0, result);
        ripple->setInput(1, noise->output());
        ripple->setValue(effects::DisplacementScale, FEffect);
        result = ripple->output();
    }
    if (FBlur != 0) {
        blur->setInput(0, result);
        blur->setValue(effects::DirectionalBlurStandardDeviation, FBlur);
        blur->setValue(effects::DirectionalBlurAngle, 90.0f);
        result = blur->output();
    }
    mirror->setInput(0, result);
    mirror->setValue(effects::Transform3DMatrix,
                     ReflectionMatrix(width, height, FOffset, placement));
    mirror->setValue(effects::Transform3DInterpolation, uint32_t(Interpolation::Cubic));
    return mirror->output();
}
