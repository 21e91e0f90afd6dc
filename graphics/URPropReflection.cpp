#include "graphics/URPropReflection.h"

TRPropReflection::TRPropReflection() : TRPropBase(ptReflection) {}

void TRPropReflection::VisitFields(TRPropFields& fields) {
    fields.Float("Offset", FOffset);
    fields.Float("Blur", FBlur);
    fields.Float("Effect", FEffect);
    fields.Float("Opacity", FOpacity);
    fields.Float("Height", FHeight);
}
