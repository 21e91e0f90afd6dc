#include "objects/URPropShapeBrush.h"

#include "objects/URPropBrush.h"

TRPropShapeBrush::TRPropShapeBrush(TRPropertyType type) : TRPropWithStops<TRPropShape>(type) {
    FColors = {{0xFFFFFF, 0, 1}, {0x000000, 1, 1}};
}

void TRPropShapeBrush::VisitFields(TRPropFields& fields) {
    TRPropShape::VisitFields(fields);
    VisitBrushFields(fields, FBrushStyle, FRotation, FOpacity);
    fields.Float("Thickness", FThickness);
}

platform::render::BrushPtr TRPropShapeBrush::Brush(float width, float height,
                                                   bool translate) const {
    return ColorStopsBrush(FColors, FBrushStyle, FRotation, FOpacity, width, height, translate);
}
