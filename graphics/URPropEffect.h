#pragma once
// The image effect of an object: one kind of effect by name, with its strength.
// This class holds the settings and their XML form; the effect chain that draws them belongs
// to the graphics engine.

#include "core/URPropBase.h"

class TRPropEffect : public TRPropBase {
public:
    TRPropEffect();

    QString FEffectName = QStringLiteral("Gaussian Blur");
    float FIntensity = 0.1f;
    float FAngle = 0;
    TColor FColor = 0;
    bool FInvert = false;

    void VisitFields(TRPropFields& fields) override;
};
