#include "graphics/URPropColorAdjust.h"

#include "graphics/URCEContrast.h"
#include "graphics/UREffectGroup.h"
#include "platform/render/StandardEffects.h"

using namespace platform::render;

TRPropColorAdjust::TRPropColorAdjust() : TRPropBase(ptColorAdjust) {}

void TRPropColorAdjust::VisitFields(TRPropFields& fields) {
    fields.Float("Brightness", FBrightness);
    fields.Float("Contrast", FContrast);
    fields.Float("Saturation", FSaturation);
}

void TRPropColorAdjust::EaseTo(float pos, const TRPropBase* to, TRPropBase* destination) const {
    const auto* next = dynamic_cast<const TRPropColorAdjust*>(to);
    auto* result = dynamic_cast<TRPropColorAdjust*>(destination);
    if (!next || !result)
        return;
    const TREaseCase ease = EaseCaseOf(*this, *next);
    if (ease == TREaseCase::Neither)
        return;
    result->FBrightness = EaseToward(ease, FBrightness, next->FBrightness, pos, 0);
    result->FContrast = EaseToward(ease, FContrast, next->FContrast, pos, 0);
    result->FSaturation = EaseToward(ease, FSaturation, next->FSaturation, pos, 1);
}

ImagePtr TRPropColorAdjust::Draw(const ImagePtr& input) const {
    const EffectPtr& contrast = SceneEffect(FContrastEffect, CLSID_CEContrast);
    const EffectPtr& saturation = SceneEffect(FSaturationEffect, effects::Saturation);
    if (!contrast || !saturation || !input)
        return input;
    contrast->setInput(0, input);
    contrast->setValue(0, FContrast);
    contrast->setValue(1, FBrightness);
    saturation->setInput(0, contrast->output());
    saturation->setValue(effects::SaturationAmount, FSaturation);
    return saturation->output();
}
