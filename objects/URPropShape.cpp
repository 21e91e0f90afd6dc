#include "objects/URPropShape.h"

TRPropShape::TRPropShape() : TRPropShape(ptShape) {}

TRPropShape::TRPropShape(TRPropertyType type) : TRPropBase(type, false, true, false) {}

void TRPropShape::VisitFields(TRPropFields& fields) {
    fields.Text("ShapeName", FShapeName);
    fields.Float("Roundness", FRoundness);
}
