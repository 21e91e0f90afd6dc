#pragma once
// The transition groups: the way an object enters (TRPropTransitionIn) and leaves
// (TRPropTransitionOut), and the settings of a transition object (TRPropTransitionObj).
// These classes hold the settings and their XML form; the effect chains that draw them belong
// to the graphics engine.

#include "core/URPropBase.h"

#include <array>
#include <memory>

// One kind of transition and the sides that offer it. The kind list of the frame follows the
// rows of TransitionKinds; "Zoom In" and "Zoom Out" serve only zoom-area objects.
struct TRTransitionKind {
    const char* Name;
    bool ForIn;
    bool ForOut;
    bool ForObject;
};
extern const std::array<TRTransitionKind, 21> TransitionKinds;

// The effect chain a group draws through, made by the graphics engine on first use and kept
// with the group (each group owns its own effects, so two groups never share settings).
class TRTransitionEffects {
public:
    virtual ~TRTransitionEffects() = default;
};

class TRPropTransition : public TRPropBase {
public:
    explicit TRPropTransition(TRPropertyType type = ptTrIn);

    std::int32_t TType() const { return FType; }
    std::int32_t Ease() const { return FEase; }
    bool IncludeBack() const { return FIncludeBack; }

    std::int32_t FType = 0;
    QString FName = QStringLiteral("Custom");
    std::int32_t FDuration = 500;
    std::int32_t FEase = 0;
    float FCenterX = 0;
    float FCenterY = 0;
    float FBorderSize = 10;
    std::int32_t FBorderType = 0;
    TColor FColor = 0xFFFFFF;
    std::int32_t FDirection = 1;
    std::int32_t FMoveDirection = 0;
    float FScale = 1;
    bool FFade = true;
    bool FSpin = false;
    bool FIncludeBack = false;

    // The group's effect chain; built lazily by the transition renderer.
    mutable std::shared_ptr<TRTransitionEffects> FEffects;

    void VisitFields(TRPropFields& fields) override;
};

class TRPropTransitionIn : public TRPropTransition {
public:
    TRPropTransitionIn() : TRPropTransition(ptTrIn) {}
};

class TRPropTransitionOut : public TRPropTransition {
public:
    TRPropTransitionOut() : TRPropTransition(ptTrOut) {}
};

class TRPropTransitionObj : public TRPropTransition {
public:
    TRPropTransitionObj();
};
