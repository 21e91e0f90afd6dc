#include "graphics/URPropBlur.h"

TRPropBlur::TRPropBlur() : TRPropBase(ptBlur) {}

void TRPropBlur::VisitFields(TRPropFields& fields) {
    fields.Float("Size", FSize);
    fields.Bool("Border", FBorder);
}
