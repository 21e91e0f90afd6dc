#include "objects/URPropDrawing.h"

TRPropDrawing::TRPropDrawing() : TRPropBase(ptDrawing) {}

void TRPropDrawing::VisitFields(TRPropFields& fields) {
    fields.Bool("Animate", FAnimate);
    fields.Int("Speed", FSpeed);
    fields.Int("Ease", FEase);
}
