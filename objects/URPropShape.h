#pragma once
// The outline of a drawable object: a shape kind by name and its one adjust value. The mask,
// sketch-animation and progress-bar groups share it.

#include "core/URPropBase.h"

class TRPropShape : public TRPropBase {
public:
    TRPropShape();

    QString FShapeName = QStringLiteral("Rectangle");
    float FRoundness = 0.25f;

    void VisitFields(TRPropFields& fields) override;

protected:
    explicit TRPropShape(TRPropertyType type);
};
