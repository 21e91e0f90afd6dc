#include "graphics/URPropEffect.h"

TRPropEffect::TRPropEffect() : TRPropBase(ptEffect) {}

void TRPropEffect::VisitFields(TRPropFields& fields) {
    fields.Text("EffectName", FEffectName);
    fields.Float("Intensity", FIntensity);
    fields.Float("Angle", FAngle);
    fields.Color("Color", FColor);
    fields.Bool("Invert", FInvert);
}
