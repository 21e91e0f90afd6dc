#include "objects/URPropTextPath.h"

#include "objects/URColorStops.h"

TRPropTextPath::TRPropTextPath() : TRPropBase(ptTextPath, false, true, false) {}

void TRPropTextPath::VisitFields(TRPropFields& fields) {
    fields.Float("Offset", FOffset);
    fields.Int("PathType", FPathType);
    fields.Float("Adjust", FAdjust);
    fields.Float("MLeft", FMLeft);
    fields.Float("MTop", FMTop);
    fields.Float("MRight", FMRight);
    fields.Float("MBottom", FMBottom);
}

void TRPropTextPath::EaseTo(float pos, const TRPropBase* to, TRPropBase* destination) const {
    const auto* target = dynamic_cast<const TRPropTextPath*>(to);
    auto* result = dynamic_cast<TRPropTextPath*>(destination);
    if (!target || !result)
        return;
    result->FPathType = FPathType;
    result->FOffset = EaseFloat(FOffset, target->FOffset, pos);
    result->FAdjust = EaseFloat(FAdjust, target->FAdjust, pos);
    result->FMLeft = EaseFloat(FMLeft, target->FMLeft, pos);
    result->FMTop = EaseFloat(FMTop, target->FMTop, pos);
    result->FMRight = EaseFloat(FMRight, target->FMRight, pos);
    result->FMBottom = EaseFloat(FMBottom, target->FMBottom, pos);
}
