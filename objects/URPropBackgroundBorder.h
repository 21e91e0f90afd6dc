#pragma once
// The border stroked along an object's outline.

#include "objects/URPropBrush.h"

class TRPropBackgroundBorder : public TRPropBrush, public TRBorderSource, public TRStrokeSource {
public:
    float Thickness() const override { return FThickness; }
    float Inflate() const override { return FInflate; }
    // DashStyle 0..4 is solid, dash, dot, dash-dot, dash-dot-dot; CapStyle 0..3 flat, square,
    // round, triangle, used for the line ends and the dash ends.
    std::shared_ptr<platform::render::StrokeStyle> GetStrokeStyle() const override;
    TRPropBackgroundBorder();
    float DeltaBorder() const override { return GetDeltaBorder(); }
    // The margin of the border bitmap: 0 when off, else the thickness plus a positive inflation.
    float BorderSize() const override;

    // Half the stroke plus the inflation when the border is in force, never below 0.
    float GetDeltaBorder() const;

    std::int32_t FDashStyle = 0;
    std::int32_t FCapStyle = 0;
    float FThickness = 5;
    float FInflate = 0;
    float FBlur = 0;

    void VisitFields(TRPropFields& fields) override;
};
