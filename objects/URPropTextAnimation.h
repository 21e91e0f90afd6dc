#pragma once
// How the letters or lines of a text enter or leave.

#include "core/URPropBase.h"
#include "graphics/URTextAnimator.h"

class TRPropTextAnimation : public TRPropBase, public TRTextAnimator {
public:
    TRPropTextAnimation();

    QString FName = QStringLiteral("Custom In");
    std::int32_t FDuration = 500;
    std::int32_t FEase = 15;
    std::int32_t FInterval = 50;
    std::int32_t FDirection = 1;
    std::int32_t FOutline = 2;
    std::int32_t FMoveDirection = 0;
    float FScale = 1;
    bool FFade = false;
    bool FSpin = false;

    void VisitFields(TRPropFields& fields) override;
    bool AnimationTiming(TRTextAnimationTiming& timing) const override;
    // The letter kinds are not computed yet: animated letters appear and disappear on time but
    // are drawn unchanged.
    void AnimateLetter(float, float, float, float, float, float, float,
                       TRTextAnimationFrame&) const override {}
};
