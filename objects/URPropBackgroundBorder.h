#pragma once
// The border stroked along an object's outline.

#include "objects/URPropBrush.h"

class TRPropBackgroundBorder : public TRPropBrush {
public:
    TRPropBackgroundBorder();

    // Half the stroke plus the inflation when the border is in force, never below 0.
    float GetDeltaBorder() const;

    std::int32_t FDashStyle = 0;
    std::int32_t FCapStyle = 0;
    float FThickness = 5;
    float FInflate = 0;
    float FBlur = 0;

    void VisitFields(TRPropFields& fields) override;
};
