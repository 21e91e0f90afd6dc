#include "graphics/URPropBlur.h"

#include "graphics/UREffectGroup.h"
#include "platform/render/StandardEffects.h"

using namespace platform::render;

TRPropBlur::TRPropBlur() : TRPropBase(ptBlur) {}

void TRPropBlur::VisitFields(TRPropFields& fields) {
    fields.Float("Size", FSize);
    fields.Bool("Border", FBorder);
}

ImagePtr TRPropBlur::Draw(const ImagePtr& input) const {
    const EffectPtr& blur = SceneEffect(FBlurEffect, effects::GaussianBlur);
    if (!blur || !input)
        return input;
    blur->setInput(0, input);
    blur->setValue(effects::GaussianBlurBorderMode,
                   uint32_t(FBorder ? effects::BorderSoft : effects::BorderHard));
    blur->setValue(effects::GaussianBlurStandardDeviation, FSize);
    return blur->output();
}
