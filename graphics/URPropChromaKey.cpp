#include "graphics/URPropChromaKey.h"

TRPropChromaKey::TRPropChromaKey() : TRPropBase(ptChromaKey) {}

void TRPropChromaKey::VisitFields(TRPropFields& fields) {
    fields.Color("Color", FColor);
    fields.Float("Tolerance", FTolerance);
    fields.Bool("Invert", FInvert);
}
