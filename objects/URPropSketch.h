#pragma once
// How a sketch object draws its shape's outline over time: stroke, flips, timing and easing.

#include "objects/URPropShapeBrush.h"

class TRPropSketch : public TRPropShapeBrush {
public:
    TRPropSketch();

    float FBlur = 0;
    bool FFlipH = false;
    bool FFlipV = false;
    float FDrawTime;
    bool FParallel = false;
    bool FLoop = false;
    bool FRevert = false;
    std::int32_t FEase = 0;
    float FPauseTime;

    void VisitFields(TRPropFields& fields) override;
};
