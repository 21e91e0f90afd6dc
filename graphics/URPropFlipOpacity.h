#pragma once
// The media group of images, videos and screen recordings: mirror the picture, its opacity, and
// whether the media is stretched to the object's size. Always in force (no check box).

#include "core/URPropBase.h"
#include "platform/render/Effect.h"

class TRPropFlipOpacity : public TRPropBase {
public:
    TRPropFlipOpacity();

    bool Scale() const { return FScale; }
    float Speed() const { return FSpeed; }

    bool FFlipH = false;
    bool FFlipV = false;
    float FOpacity = 1;
    bool FScale = true;
    // Not stored, edited or drawn.
    float FSpeed = 1;
    // Only on the eased copy: how far a change of Scale between two keyframes has gone;
    // positive from stretched back to the media's size, negative (its magnitude) the other
    // way, 0 for no change.
    float ScaleProcAnimation = 0;

    void VisitFields(TRPropFields& fields) override;
    void EaseTo(float pos, const TRPropBase* to, TRPropBase* destination) const override;

    // The picture mirrored within its own width x height as the flags say; `input` when
    // neither is set or the effect cannot be made.
    platform::render::ImagePtr DrawFlip(const platform::render::ImagePtr& input, float width,
                                        float height) const;
    // The picture at FOpacity; `input` when that is exactly 1 or the effect cannot be made.
    platform::render::ImagePtr DrawOpacity(const platform::render::ImagePtr& input) const;

private:
    mutable platform::render::EffectPtr FOpacityEffect;
    mutable platform::render::EffectPtr FFlipEffect;
};
