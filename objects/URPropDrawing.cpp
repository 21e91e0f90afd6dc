#include "objects/URPropDrawing.h"

TRPropDrawing::TRPropDrawing() : TRPropBase(ptDrawing) {}

void TRPropDrawing::VisitFields(TRPropFields& fields) {
    fields.Bool("Animate", FAnimate);
    fields.Int("Speed", FSpeed);
    fields.Int("Ease", FEase);
}

void TRPropDrawing::DrawTo(const platform::render::BitmapPtr&, std::int32_t,
                           platform::render::BitmapPtr&) const {}
