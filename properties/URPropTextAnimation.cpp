#include "properties/URPropTextAnimation.h"

TRPropTextAnimation::TRPropTextAnimation() : TRPropBase(ptTextAnimation) {}

void TRPropTextAnimation::VisitFields(TRPropFields& fields) {
    fields.Text("Name", FName);
    fields.Int("Duration", FDuration);
    fields.Int("Ease", FEase);
    fields.Int("Interval", FInterval);
    fields.Int("Direction", FDirection);
    fields.Int("Outline", FOutline);
    fields.Int("MoveDirection", FMoveDirection);
    fields.Float("Scale", FScale);
    fields.Bool("Fade", FFade);
    fields.Bool("Spin", FSpin);
}
