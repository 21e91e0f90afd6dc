#pragma once
// How the text of an object is laid out: along a line or a curve, with margins.

#include "core/URPropBase.h"

class TRPropTextPath : public TRPropBase {
public:
    TRPropTextPath();

    float FOffset = 0;
    std::int32_t FPathType = 0;
    float FAdjust = 0;
    float FMLeft = 0;
    float FMTop = 0;
    float FMRight = 0;
    float FMBottom = 0;

    // The path kind of this keyframe holds until the next one; offset, bend and margins move.
    void EaseTo(float pos, const TRPropBase* to, TRPropBase* destination) const override;
    void VisitFields(TRPropFields& fields) override;
};
