#include "graphics/URPropFlipOpacity.h"

TRPropFlipOpacity::TRPropFlipOpacity() : TRPropBase(ptFlipOpacity, false, true, true) {}

void TRPropFlipOpacity::VisitFields(TRPropFields& fields) {
    fields.Bool("FlipH", FFlipH);
    fields.Bool("FlipV", FFlipV);
    fields.Float("Opacity", FOpacity);
    fields.Bool("Scale", FScale);
}
