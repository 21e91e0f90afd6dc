#pragma once
// The drop shadow of an object.
// This class holds the settings and their XML form; the effect chain that draws them belongs
// to the graphics engine.

#include "core/URPropBase.h"

class TRPropShadow : public TRPropBase {
public:
    TRPropShadow();

    TColor FColor = 0;
    float FOffset = 10;
    float FAngle = -135;
    float FOpacity = 0.5f;
    float FBlur = 10;

    void VisitFields(TRPropFields& fields) override;
};
