#include "core/URPropMediaSpeed.h"

#include <algorithm>

std::int32_t ClampMediaSpeed(std::int32_t speed) {
    return std::clamp(speed, MinMediaSpeed, MaxMediaSpeed);
}

TRPropMediaSpeed::TRPropMediaSpeed() : TRPropBase(ptMediaSpeed, false, true, true) {}

std::int32_t TRPropMediaSpeed::ScaleDuration(std::int32_t mediaLength) const {
    if (FSpeed == NormalMediaSpeed)
        return mediaLength;
    return static_cast<std::int32_t>(std::int64_t{mediaLength} * NormalMediaSpeed / FSpeed);
}

void TRPropMediaSpeed::VisitFields(TRPropFields& fields) {
    fields.Int("Speed", FSpeed);
    fields.Bool("PreservePitch", FPreservePitch);
}

void TRPropMediaSpeed::OpenFromXML(const QDomElement& element, bool paste) {
    TRPropBase::OpenFromXML(element, paste);
    FSpeed = ClampMediaSpeed(FSpeed);
}
