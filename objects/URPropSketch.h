#pragma once
// How a sketch object draws its shape's outline over time: stroke, flips, timing and easing.

#include "objects/URPropShapeBrush.h"
#include "platform/render/Effect.h"

class TRPropSketch : public TRPropShapeBrush {
public:
    TRPropSketch();

    float FBlur = 0;
    bool FFlipH = false;
    bool FFlipV = false;
    float FDrawTime;
    bool FParallel = false;
    bool FLoop = false;
    bool FRevert = false;
    std::int32_t FEase = 0;
    float FPauseTime;

    void VisitFields(TRPropFields& fields) override;

    // The sketch's picture mirrored within its width x height as FFlipH and FFlipV say;
    // `input` when neither is set or no effect can be made.
    platform::render::ImagePtr DrawFlip(const platform::render::ImagePtr& input, float width,
                                        float height) const;
    // The picture blurred by FBlur with a soft border; `input` when FBlur is 0 or no effect
    // can be made.
    platform::render::ImagePtr DrawBlur(const platform::render::ImagePtr& input) const;

private:
    mutable platform::render::EffectPtr FFlipEffect;
    mutable platform::render::EffectPtr FBlurEffect;
};
