#pragma once
// Mirroring and opacity of an object's media.
// This class holds the settings and their XML form; the effect chain that draws them belongs
// to the graphics engine.

#include "core/URPropBase.h"

class TRPropFlipOpacity : public TRPropBase {
public:
    TRPropFlipOpacity();

    bool FFlipH = false;
    bool FFlipV = false;
    float FOpacity = 1;
    bool FScale = true;

    void VisitFields(TRPropFields& fields) override;
};
