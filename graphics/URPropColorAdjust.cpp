#include "graphics/URPropColorAdjust.h"

TRPropColorAdjust::TRPropColorAdjust() : TRPropBase(ptColorAdjust) {}

void TRPropColorAdjust::VisitFields(TRPropFields& fields) {
    fields.Float("Brightness", FBrightness);
    fields.Float("Contrast", FContrast);
    fields.Float("Saturation", FSaturation);
}
