#pragma once
// The common part of the groups that paint with a brush of colour stops (fill, border, text):
// the brush style, gradient angle, opacity and the stops, which are written after the group's
// own attributes.

#include "core/URScenePaint.h"
#include "graphics/UREffectGroup.h"
#include "objects/URColorStops.h"

// "Style", "Rotation" and "Opacity", the attributes every brush group writes first.
void VisitBrushFields(TRPropFields& fields, TRBrushStyle& style, float& rotation, float& opacity);

class TRPropBrush : public TRPropWithStops<TRPropBase>, public TRBrushSource {
public:
    TRPropBrush(TRPropertyType type, TRColorStops stops);
    // The brush of the stops (ColorStopsBrush); none for the media-library and erase styles.
    platform::render::BrushPtr Brush(float width, float height, bool translate) const override;
    QColor FirstColor() const override { return StopColor(FColors.GetColor(0)); }

    // Both groups on: the style and colours of this group, angle, opacity and the positions
    // and opacities of stops 0 and 1 interpolated. Only one on: that group's style, angle and
    // stops, its opacity fading out (this group) or in (`to`). Neither on: nothing.
    void EaseTo(float pos, const TRPropBase* to, TRPropBase* destination) const override;

    TRBrushStyle FBrushStyle = brsSolid;
    float FRotation = 0;
    float FOpacity = 1;

    void VisitFields(TRPropFields& fields) override;
};
