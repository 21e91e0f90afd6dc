#include "objects/URPropTextPath.h"

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
