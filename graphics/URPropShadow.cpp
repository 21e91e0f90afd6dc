#include "graphics/URPropShadow.h"

TRPropShadow::TRPropShadow() : TRPropBase(ptShadow, true, true, false) {}

void TRPropShadow::VisitFields(TRPropFields& fields) {
    fields.Color("Color", FColor);
    fields.Float("Offset", FOffset);
    fields.Float("Angle", FAngle);
    fields.Float("Opacity", FOpacity);
    fields.Float("Blur", FBlur);
}
