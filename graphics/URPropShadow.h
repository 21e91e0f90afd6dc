#pragma once
// The drop shadow of an object: a soft shadow of its picture in one colour, offset at an angle
// that turns with the object.

#include "core/URPropBase.h"
#include "platform/render/Effect.h"

class TRPropShadow : public TRPropBase {
public:
    TRPropShadow();

    TColor FColor = 0;
    float FOffset = 10;
    float FAngle = -135;
    float FOpacity = 0.5f;
    float FBlur = 10;

    void VisitFields(TRPropFields& fields) override;
    void EaseTo(float pos, const TRPropBase* to, TRPropBase* destination) const override;

    // The shadow of `input` (not composited: the caller draws it, then the object over it) for
    // an object turned by `rotation` degrees and drawn at `opacity`; `input` when the effects
    // cannot be made. The output stays valid until the next call on this group.
    platform::render::ImagePtr ComputeShadow(const platform::render::ImagePtr& input,
                                             float rotation, float opacity) const;

private:
    mutable platform::render::EffectPtr FShadowEffect;
    mutable platform::render::EffectPtr FAffineTransform;
};
