#pragma once
// The mirror image drawn below an object.
// This class holds the settings and their XML form; the effect chain that draws them belongs
// to the graphics engine.

#include "core/URPropBase.h"

class TRPropReflection : public TRPropBase {
public:
    TRPropReflection();

    float FHeight = 50;
    float FOffset = 10;
    float FBlur = 0;
    float FEffect = 0;
    float FOpacity = 0.75f;

    void VisitFields(TRPropFields& fields) override;
};
