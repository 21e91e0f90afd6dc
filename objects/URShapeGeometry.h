#pragma once
// The outlines of the shape kinds, fitted to a rectangle. Arithmetic is done in double and
// every coordinate stored as float.

#include "platform/render/Geometry.h"

#include <QRectF>
#include <QStringView>
#include <span>

// A rectangle with the measures the constructions share.
struct TRShapeBox {
    explicit TRShapeBox(const QRectF& r);
    double L, T, R, B;
    double w, h, cx, cy, m;
};

platform::render::PointF ShapePoint(double x, double y);

// One figure through `points` (a path of fill mode winding).
platform::render::GeometryPtr PolylineGeometry(std::span<const platform::render::PointF> points,
                                               platform::render::FigureEnd end);

// The outline of catalogue row `kind` with adjust value `a`; `segment` -1 for the whole
// outline, 0, 1, ... for one stroke segment of the kinds that have them.
platform::render::GeometryPtr KindGeometry(int kind, double a, const TRShapeBox& box, int segment);

// The outline of the partial-border kind `kind`, or nullptr when it is not one of them.
platform::render::GeometryPtr BorderGeometry(int kind, double a, const TRShapeBox& box,
                                             int segment);
