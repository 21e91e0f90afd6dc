#include "objects/URPropBrush.h"

TRPropBrush::TRPropBrush(TRPropertyType type, TRColorStops stops)
    : TRPropWithStops<TRPropBase>(type) {
    FColors = std::move(stops);
}

void VisitBrushFields(TRPropFields& fields, TRBrushStyle& style, float& rotation, float& opacity) {
    fields.Enum("Style", style, brsEraseBackGround);
    fields.Float("Rotation", rotation);
    fields.Float("Opacity", opacity);
}

void TRPropBrush::VisitFields(TRPropFields& fields) {
    VisitBrushFields(fields, FBrushStyle, FRotation, FOpacity);
}

platform::render::BrushPtr TRPropBrush::Brush(float width, float height, bool translate) const {
    return StopsBrush(FColors, FBrushStyle, FRotation, FOpacity, width, height, translate);
}
