#pragma once
// The key colour taken out of an object's media.
// This class holds the settings and their XML form; the effect chain that draws them belongs
// to the graphics engine.

#include "core/URPropBase.h"

class TRPropChromaKey : public TRPropBase {
public:
    TRPropChromaKey();

    TColor FColor = 0x00FF00;
    float FTolerance = 10;
    bool FInvert = false;

    void VisitFields(TRPropFields& fields) override;
};
