#pragma once
// The outline of a drawable object: a shape kind by name and its one adjust value. The mask,
// sketch-animation and progress-bar groups share it.

#include "core/URPropBase.h"
#include "core/URScenePaint.h"

class TRPropShape : public TRPropBase, public TRShapeSource {
public:
    TRPropShape();
    // "Rectangle", "Ellipse" and the edge shape "Bottom LR" (a line along the bottom edge from
    // the left, of which only the first 2 x Roundness of its length is drawn, whole at 0);
    // nullptr for the shapes whose outlines have not come yet.
    platform::render::GeometryPtr GetGeometry(const QRectF& rect, int segment) const override;

    QString FShapeName = QStringLiteral("Rectangle");
    float FRoundness = 0.25f;

    void VisitFields(TRPropFields& fields) override;

protected:
    explicit TRPropShape(TRPropertyType type);
};
