#include "objects/URPropShape.h"

#include <QPainterPath>
#include <algorithm>

TRPropShape::TRPropShape() : TRPropShape(ptShape) {}

TRPropShape::TRPropShape(TRPropertyType type) : TRPropBase(type, false, true, false) {}

void TRPropShape::VisitFields(TRPropFields& fields) {
    fields.Text("ShapeName", FShapeName);
    fields.Float("Roundness", FRoundness);
}

platform::render::GeometryPtr TRPropShape::GetGeometry(const QRectF& rect, int) const {
    using platform::render::Geometry;
    QPainterPath path;
    if (FShapeName == QLatin1String("Rectangle")) {
        path.addRect(rect);
    } else if (FShapeName == QLatin1String("Ellipse")) {
        path.addEllipse(rect);
    } else if (FShapeName == QLatin1String("Bottom LR")) {
        const double part = FRoundness > 0 ? std::min(2.0 * FRoundness, 1.0) : 1.0;
        path.moveTo(rect.bottomLeft());
        path.lineTo(rect.left() + rect.width() * part, rect.bottom());
    } else {
        return nullptr;
    }
    return Geometry::fromPath(path);
}
