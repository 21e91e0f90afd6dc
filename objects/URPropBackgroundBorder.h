#pragma once
// The border stroked along an object's outline.

#include "objects/URPropBrush.h"
#include "platform/render/Effect.h"

class TRPropBackgroundBorder : public TRPropBrush, public TRBorderSource, public TRStrokeSource {
public:
    float Thickness() const override { return FThickness; }
    float Inflate() const override { return FInflate; }
    // DashStyle 0..4 is solid, dash, dot, dash-dot, dash-dot-dot; CapStyle 0..3 flat, square,
    // round, triangle, used for the line ends and the dash ends; miter joins with limit 10.
    std::shared_ptr<platform::render::StrokeStyle> GetStrokeStyle() const override;
    TRPropBackgroundBorder();
    float DeltaBorder() const override { return GetDeltaBorder(); }
    // The margin of the border bitmap: 0 when off, else the thickness plus a positive inflation.
    float BorderSize() const override;

    // Half the stroke plus the inflation when the border is in force, never below 0.
    float GetDeltaBorder() const;

    // The image to paint for an object with its border: the border (blurred with a soft edge
    // when Blur is not 0) drawn over `input`; the border alone without an input, the input
    // alone without a border.
    platform::render::ImagePtr DrawBlurAndComposite(platform::render::ImagePtr input,
                                                    platform::render::ImagePtr border) override;
    // `input` blurred as the border is, or `input` itself when Blur is 0.
    platform::render::ImagePtr DrawBlur(platform::render::ImagePtr input);

    // The fill's cases, and: both on, the dash and cap of this group with offset, thickness and
    // blur interpolated; one on, those five of that group.
    void EaseTo(float pos, const TRPropBase* to, TRPropBase* destination) const override;

    std::int32_t FDashStyle = 0;
    std::int32_t FCapStyle = 0;
    float FThickness = 5;
    float FInflate = 0;
    float FBlur = 0;

    void VisitFields(TRPropFields& fields) override;

private:
    // The group's one blur and one composite effect, made on the shared device context the
    // first time they are needed and reused for every call; null without a context.
    platform::render::EffectPtr BlurEffect();
    platform::render::EffectPtr CompositeEffect();
    void CopyStrokeFrom(const TRPropBackgroundBorder& source);

    platform::render::EffectPtr m_blureffect;
    platform::render::EffectPtr m_compositeeffect;
};
