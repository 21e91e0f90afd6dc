#pragma once
// Brightness, contrast and saturation of an object's media.
// This class holds the settings and their XML form; the effect chain that draws them belongs
// to the graphics engine.

#include "core/URPropBase.h"

class TRPropColorAdjust : public TRPropBase {
public:
    TRPropColorAdjust();

    float FBrightness = 0;
    float FContrast = 0;
    float FSaturation = 1;

    void VisitFields(TRPropFields& fields) override;
};
