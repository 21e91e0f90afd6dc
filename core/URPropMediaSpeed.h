#pragma once
// The media-speed group that every object holds beside its keyframes: how fast the object
// plays its media, per mille (1000 = normal), and whether its sound keeps its pitch.

#include "core/URPropBase.h"

inline constexpr std::int32_t MinMediaSpeed = 250;
inline constexpr std::int32_t MaxMediaSpeed = 4000;
inline constexpr std::int32_t NormalMediaSpeed = 1000;

// A speed held to the range the editor offers; media arithmetic divides by it.
std::int32_t ClampMediaSpeed(std::int32_t speed);

class TRPropMediaSpeed : public TRPropBase {
public:
    TRPropMediaSpeed();

    std::int32_t Speed() const { return FSpeed; }
    // Stores the speed held to MinMediaSpeed..MaxMediaSpeed.
    void SetSpeed(std::int32_t speed) { FSpeed = ClampMediaSpeed(speed); }
    // The speed in whole percent, for display only: media arithmetic stays per mille.
    std::int32_t SpeedDiv10() const { return FSpeed / 10; }
    bool PreservePitch() const { return FPreservePitch; }
    void SetPreservePitch(bool value) { FPreservePitch = value; }

    // A media length at this speed: length * 1000 / speed, in per mille (no rounding to whole
    // percent), truncated toward zero.
    std::int32_t ScaleDuration(std::int32_t mediaLength) const;

    void OpenFromXML(const QDomElement& element, bool paste) override;
    void VisitFields(TRPropFields& fields) override;

private:
    std::int32_t FSpeed = NormalMediaSpeed;
    bool FPreservePitch = true;
};
