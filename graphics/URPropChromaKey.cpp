#include "graphics/URPropChromaKey.h"

#include "graphics/URCEChromakey.h"
#include "graphics/UREffectGroup.h"

using namespace platform::render;

TRPropChromaKey::TRPropChromaKey() : TRPropBase(ptChromaKey) {}

void TRPropChromaKey::VisitFields(TRPropFields& fields) {
    fields.Color("Color", FColor);
    fields.Float("Tolerance", FTolerance);
    fields.Bool("Invert", FInvert);
}

void TRPropChromaKey::EaseTo(float pos, const TRPropBase* to, TRPropBase* destination) const {
    const auto* next = dynamic_cast<const TRPropChromaKey*>(to);
    auto* result = dynamic_cast<TRPropChromaKey*>(destination);
    if (!next || !result)
        return;
    const TREaseCase ease = EaseCaseOf(*this, *next);
    if (ease == TREaseCase::Neither)
        return;
    result->FColor = EaseHold(ease, FColor, next->FColor);
    result->FInvert = EaseHold(ease, FInvert, next->FInvert);
    result->FTolerance = EaseToward(ease, FTolerance, next->FTolerance, pos, 0);
}

ImagePtr TRPropChromaKey::Draw(const ImagePtr& input) const {
    const EffectPtr& key = SceneEffect(FChromaKeyEffect, CLSID_CEChromakey);
    if (!key || !input)
        return input;
    key->setInput(0, input);
    key->setValue(0, FTolerance * 255 / 100);
    key->setValue(1, float(FColor & 0xFF));
    key->setValue(2, float((FColor >> 8) & 0xFF));
    key->setValue(3, float((FColor >> 16) & 0xFF));
    key->setValue(4, FInvert ? 1.0f : 0.0f);
    return key->output();
}
