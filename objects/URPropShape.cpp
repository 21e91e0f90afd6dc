#include "objects/URPropShape.h"

TRPropShape::TRPropShape() : TRPropShape(ptShape) {}

TRPropShape::TRPropShape(TRPropertyType type) : TRPropBase(type) {
    FUseCheckBox = false;
    FChecked = true;
}

void TRPropShape::VisitFields(TRPropFields& fields) {
    fields.Text("ShapeName", FShapeName);
    fields.Float("Roundness", FRoundness);
}
