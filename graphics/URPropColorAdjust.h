#pragma once
// Brightness, contrast and saturation of an object's media.

#include "core/URPropBase.h"
#include "platform/render/Effect.h"

class TRPropColorAdjust : public TRPropBase {
public:
    TRPropColorAdjust();

    float FBrightness = 0; // -1..1
    float FContrast = 0;   // -0.25..2
    float FSaturation = 1; // 0 grey .. 1 unchanged

    void VisitFields(TRPropFields& fields) override;
    void EaseTo(float pos, const TRPropBase* to, TRPropBase* destination) const override;

    // The picture with contrast and brightness, then saturation, applied; `input` when the
    // effects cannot be made.
    platform::render::ImagePtr Draw(const platform::render::ImagePtr& input) const;

private:
    mutable platform::render::EffectPtr FSaturationEffect;
    mutable platform::render::EffectPtr FContrastEffect;
};
