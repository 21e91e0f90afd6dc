#pragma once
// A shape group stroked with a brush of colour stops: the common part of the sketch-animation
// and progress-bar groups. The stops are written after the group's own attributes.

#include "objects/URColorStops.h"
#include "objects/URPropShape.h"

class TRPropShapeBrush : public TRPropWithStops<TRPropShape>,
                         public TRBrushSource,
                         public TRStrokeSource {
public:
    float Thickness() const override { return FThickness; }
    platform::render::BrushPtr Brush(float width, float height, bool translate) const override;
    QColor FirstColor() const override { return StopColor(FColors.GetColor(0)); }
    TRBrushStyle FBrushStyle = brsSolid;
    float FRotation = 0;
    float FOpacity = 1;
    float FThickness = 5;

    // The shape's attributes, then "Style", "Rotation", "Opacity" and "Thickness".
    void VisitFields(TRPropFields& fields) override;

protected:
    explicit TRPropShapeBrush(TRPropertyType type);
};
