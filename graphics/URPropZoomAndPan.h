#pragma once
// Zoom and pan inside an object's media: the picture enlarged about a centre that the pan moves,
// and shifted when the media is larger or smaller than the area shown.

#include "core/URPropBase.h"
#include "platform/render/Effect.h"

// The centre the zoom used and the whole-pixel shift of the pan.
struct TRZoomAndPanPlace {
    float cx = 0;
    float cy = 0;
    float dx = 0;
    float dy = 0;
};

class TRPropZoomAndPan : public TRPropBase {
public:
    TRPropZoomAndPan();

    float FZoom = 1;
    float FZoomLeft = 0;
    float FZoomTop = 0;

    void VisitFields(TRPropFields& fields) override;
    void EaseTo(float pos, const TRPropBase* to, TRPropBase* destination) const override;

    // The media picture `input` (bitmapWidth x bitmapHeight) zoomed and panned for an object
    // shown at width x height; `place` receives the centre and shift used (all 0 when none).
    platform::render::ImagePtr Draw(const platform::render::ImagePtr& input, float width,
                                    float height, float bitmapWidth, float bitmapHeight,
                                    TRZoomAndPanPlace& place) const;

private:
    mutable platform::render::EffectPtr FScaleEffect;
    mutable platform::render::EffectPtr FAffineTransform;
};
