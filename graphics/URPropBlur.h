#pragma once
// The blur group: a Gaussian blur of a picture. Its keyframes switch without blending.

#include "core/URPropBase.h"
#include "platform/render/Effect.h"

class TRPropBlur : public TRPropBase {
public:
    TRPropBlur();

    float FSize = 10;
    bool FBorder = true;

    void VisitFields(TRPropFields& fields) override;

    // The picture blurred by FSize with a soft border (fading out past the picture's edge) when
    // FBorder, a hard one (edges kept sharp) otherwise; `input` when no effect can be made.
    platform::render::ImagePtr Draw(const platform::render::ImagePtr& input) const;

private:
    mutable platform::render::EffectPtr FBlurEffect;
};
