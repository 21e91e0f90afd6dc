#pragma once
// The drawing annotations of a picture object and how they are animated.

#include "core/URPropBase.h"

class TRPropDrawing : public TRPropBase {
public:
    TRPropDrawing();

    bool FAnimate = false;
    std::int32_t FSpeed = 100;
    std::int32_t FEase = 0;

    void VisitFields(TRPropFields& fields) override;
};
