#pragma once
// The chroma key: one key colour, and colours near it, made transparent in an object's media
// (or everything else, inverted).

#include "core/URPropBase.h"
#include "platform/render/Effect.h"

class TRPropChromaKey : public TRPropBase {
public:
    TRPropChromaKey();

    TColor FColor = 0x00FF00;
    float FTolerance = 10; // percent
    bool FInvert = false;

    void VisitFields(TRPropFields& fields) override;
    void EaseTo(float pos, const TRPropBase* to, TRPropBase* destination) const override;

    // The picture keyed; `input` when the effect cannot be made.
    platform::render::ImagePtr Draw(const platform::render::ImagePtr& input) const;

private:
    mutable platform::render::EffectPtr FChromaKeyEffect;
};
