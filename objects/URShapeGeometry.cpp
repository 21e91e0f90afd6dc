#include "objects/URShapeGeometry.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

using namespace platform::render;

TRShapeBox::TRShapeBox(const QRectF& r)
    : L(r.left()), T(r.top()), R(r.right()), B(r.bottom()), w(R - L), h(B - T), cx(L + w / 2),
      cy(T + h / 2), m(std::min(w, h)) {}

PointF ShapePoint(double x, double y) {
    return {float(x), float(y)};
}

GeometryPtr PolylineGeometry(std::span<const PointF> points, FigureEnd end) {
    PathBuilder b;
    b.setFillMode(FillMode::Winding);
    b.beginFigure(points.front());
    b.addLines(points.subspan(1));
    b.endFigure(end);
    return b.close();
}

namespace {

constexpr double kPi = std::numbers::pi;

double Sin(double degrees) {
    return std::sin(degrees * kPi / 180);
}

double Cos(double degrees) {
    return std::cos(degrees * kPi / 180);
}

GeometryPtr Closed(std::initializer_list<PointF> points) {
    return PolylineGeometry(std::span(points.begin(), points.size()), FigureEnd::Closed);
}

GeometryPtr Open(std::initializer_list<PointF> points) {
    return PolylineGeometry(std::span(points.begin(), points.size()), FigureEnd::Open);
}

RectF BoxRect(const TRShapeBox& b) {
    return {float(b.L), float(b.T), float(b.R), float(b.B)};
}

GeometryPtr Rectangle(double a, const TRShapeBox& b) {
    if (a <= 0)
        return Geometry::rectangle(BoxRect(b));
    const float r = float(std::min(a * b.w, a * b.h));
    return Geometry::roundedRectangle({BoxRect(b), r, r});
}

GeometryPtr NotchedRectangle(double a, const TRShapeBox& b) {
    if (a <= 0)
        return Geometry::rectangle(BoxRect(b));
    const double c = std::min(a * b.w, a * b.h);
    const auto P = ShapePoint;
    return Closed({P(b.L + c, b.T), P(b.R - c, b.T), P(b.R - c, b.T + c), P(b.R, b.T + c),
                   P(b.R, b.B - c), P(b.R - c, b.B - c), P(b.R - c, b.B), P(b.L + c, b.B),
                   P(b.L + c, b.B - c), P(b.L, b.B - c), P(b.L, b.T + c), P(b.L + c, b.T + c)});
}

GeometryPtr ScoopedRectangle(double a, const TRShapeBox& b) {
    if (a <= 0)
        return Geometry::rectangle(BoxRect(b));
    const double c = std::min(a * b.w, a * b.h);
    const SizeF radii{float(c), float(c)};
    auto arc = [&](double x, double y) {
        return ArcSegment{ShapePoint(x, y), radii, 0, SweepDirection::CounterClockwise,
                          ArcSize::Small};
    };
    PathBuilder p;
    p.setFillMode(FillMode::Winding);
    p.beginFigure(ShapePoint(b.L + c, b.T));
    p.addLine(ShapePoint(b.R - c, b.T));
    p.addArc(arc(b.R, b.T + c));
    p.addLine(ShapePoint(b.R, b.B - c));
    p.addArc(arc(b.R - c, b.B));
    p.addLine(ShapePoint(b.L + c, b.B));
    p.addArc(arc(b.L, b.B - c));
    p.addLine(ShapePoint(b.L, b.T + c));
    p.addArc(arc(b.L + c, b.T));
    p.endFigure(FigureEnd::Closed);
    return p.close();
}

GeometryPtr Triangle(double a, const TRShapeBox& b) {
    const auto P = ShapePoint;
    if (a == 0)
        return Closed({P(b.cx, b.T), P(b.R, b.B), P(b.L, b.B), P(b.cx, b.T)});
    const double s = std::sqrt(b.h * b.h + b.w * b.w / 4);
    const double c = a * std::min(s, b.w);
    const double dx1 = (b.w / 2) * c / s, dx2 = (b.w / 2) * (s - c) / s, dy = b.h * c / s;
    PathBuilder p;
    p.setFillMode(FillMode::Winding);
    p.beginFigure(P(b.cx - dx1, b.T + dy));
    p.addBezier({P(b.cx - dx1, b.T + dy), P(b.cx, b.T), P(b.cx + dx1, b.T + dy)});
    p.addLine(P(b.cx + dx2, b.B - dy));
    p.addBezier({P(b.cx + dx2, b.B - dy), P(b.R, b.B), P(b.R - c, b.B)});
    p.addLine(P(b.L + c, b.B));
    p.addBezier({P(b.L + c, b.B), P(b.L, b.B), P(b.cx - dx2, b.B - dy)});
    p.endFigure(FigureEnd::Closed);
    return p.close();
}

GeometryPtr Star(double a, const TRShapeBox& b) {
    const double r0 = b.m / 2;
    const double ri = r0 * (1 - 2 * Sin(36) * Sin(36)) / Cos(36);
    const double r = ri + (r0 - ri) * 2 * a;
    const double x = b.cx, y = b.cy;
    const auto P = ShapePoint;
    return Closed({P(x, y - r0), P(x + r * Sin(36), y - r * Cos(36)),
                   P(x + r0 * Sin(72), y - r0 * Cos(72)), P(x + r * Cos(18), y + r * Sin(18)),
                   P(x + r0 * Sin(36), y + r0 * Cos(36)), P(x, y + r),
                   P(x - r0 * Sin(36), y + r0 * Cos(36)), P(x - r * Cos(18), y + r * Sin(18)),
                   P(x - r0 * Sin(72), y - r0 * Cos(72)), P(x - r * Sin(36), y - r * Cos(36))});
}

GeometryPtr Hexagram(double a, const TRShapeBox& b) {
    const double r0 = b.m / 2;
    const double ri = r0 * Cos(30) * 2 / 3;
    const double r = ri + (r0 - ri) * 2 * a;
    const double x = b.cx, y = b.cy;
    const auto P = ShapePoint;
    return Closed(
        {P(x, y - r0), P(x + r * Cos(60), y - r * Sin(60)), P(x + r0 * Sin(60), y - r0 * Cos(60)),
         P(x + r, y), P(x + r0 * Sin(60), y + r0 * Cos(60)), P(x + r * Cos(60), y + r * Sin(60)),
         P(x, y + r0), P(x - r * Cos(60), y + r * Sin(60)), P(x - r0 * Sin(60), y + r0 * Cos(60)),
         P(x - r, y), P(x - r0 * Sin(60), y - r0 * Cos(60)), P(x - r * Cos(60), y - r * Sin(60))});
}

// A ring when `a` is not 0: the ellipse of radii rx, ry less the one scaled by a * 1.9.
GeometryPtr Ring(double a, const TRShapeBox& b, double rx, double ry, int segment) {
    const GeometryPtr outer = Geometry::ellipse({ShapePoint(b.cx, b.cy), float(rx), float(ry)});
    if (a == 0)
        return outer;
    const GeometryPtr inner =
        Geometry::ellipse({ShapePoint(b.cx, b.cy), float(a * 1.9 * rx), float(a * 1.9 * ry)});
    if (segment == 0)
        return inner;
    if (segment > 0)
        return outer;
    return outer->combined(*inner, CombineMode::Exclude, {}, 1.0f);
}

GeometryPtr Hexagon(const TRShapeBox& b) {
    const double s = std::min(b.h / std::sqrt(3.0), b.w / 2), a = s * std::sqrt(3.0) / 2;
    const auto P = ShapePoint;
    return Closed({P(b.cx - s / 2, b.cy - a), P(b.cx + s / 2, b.cy - a), P(b.cx + s, b.cy),
                   P(b.cx + s / 2, b.cy + a), P(b.cx - s / 2, b.cy + a), P(b.cx - s, b.cy)});
}

GeometryPtr Octagon(const TRShapeBox& b) {
    const double s = b.m / (std::sqrt(2.0) + 1), d = s / std::sqrt(2.0);
    const double x = b.cx, y = b.cy;
    const auto P = ShapePoint;
    return Closed({P(x - s / 2, y - s / 2 - d), P(x + s / 2, y - s / 2 - d),
                   P(x + s / 2 + d, y - s / 2), P(x + s / 2 + d, y + s / 2),
                   P(x + s / 2, y + s / 2 + d), P(x - s / 2, y + s / 2 + d),
                   P(x - s / 2 - d, y + s / 2), P(x - s / 2 - d, y - s / 2)});
}

GeometryPtr BlockArrow(int kind, double a, const TRShapeBox& b) {
    const auto P = ShapePoint;
    const bool across = kind == 22 || kind == 23; // "Arrow R", "Arrow L"
    const double along = across ? b.w : b.h, thick = across ? b.h : b.w;
    const double s = 0.2 * thick, k = std::min(thick, along / 2);
    const double n = (k / (thick / 2)) * (thick / 2 - s) * a;
    switch (kind) {
    case 22:
        return Closed({P(b.L + n, b.cy), P(b.L, b.T + s), P(b.R - k, b.T + s), P(b.R - k, b.T),
                       P(b.R, b.cy), P(b.R - k, b.B), P(b.R - k, b.B - s), P(b.L, b.B - s)});
    case 23:
        return Closed({P(b.R - n, b.cy), P(b.R, b.T + s), P(b.L + k, b.T + s), P(b.L + k, b.T),
                       P(b.L, b.cy), P(b.L + k, b.B), P(b.L + k, b.B - s), P(b.R, b.B - s)});
    case 24:
        return Closed({P(b.cx, b.T + n), P(b.R - s, b.T), P(b.R - s, b.B - k), P(b.R, b.B - k),
                       P(b.cx, b.B), P(b.L, b.B - k), P(b.L + s, b.B - k), P(b.L + s, b.T)});
    default:
        return Closed({P(b.cx, b.B - n), P(b.L + s, b.B), P(b.L + s, b.T + k), P(b.L, b.T + k),
                       P(b.cx, b.T), P(b.R, b.T + k), P(b.R - s, b.T + k), P(b.R - s, b.B)});
    }
}

GeometryPtr Wave(double a, const TRShapeBox& b) {
    const double d = 0.2 * b.h * (a - 0.25) / 0.25;
    const double y1 = b.T + std::fabs(d), y2 = b.B - std::fabs(d), x0 = (b.L + b.R) / 2;
    const auto P = ShapePoint;
    PathBuilder p;
    p.setFillMode(FillMode::Winding);
    p.beginFigure(P(b.L, y1));
    p.addBezier({P(x0 - b.w / 8, y1 + d), P(x0 + b.w / 8, y1 - d), P(b.R, y1)});
    p.addLine(P(b.R, y2));
    p.addBezier({P(x0 - b.w / 8, y2 - d), P(x0 + b.w / 8, y2 + d), P(b.L, y2)});
    p.endFigure(FigureEnd::Closed);
    return p.close();
}

GeometryPtr Balloon(int kind, double a, const TRShapeBox& b) {
    const double t = 0.2 * b.m;
    const double half = kind == 27 ? 2 * t : t; // "Balloon E" has the wider tail
    const auto P = ShapePoint;
    PointF tip, p1, p2;
    if (a <= 0.125) {
        tip = P(b.R - b.w * a / 0.125, b.B), p1 = P(b.cx + half, b.cy), p2 = P(b.cx - half, b.cy);
    } else if (a <= 0.25) {
        tip = P(b.L, b.B - b.h * (a - 0.125) / 0.125), p1 = P(b.cx, b.cy + t),
        p2 = P(b.cx, b.cy - t);
    } else if (a <= 0.375) {
        tip = P(b.L + b.w * (a - 0.25) / 0.125, b.T), p1 = P(b.cx - half, b.cy),
        p2 = P(b.cx + half, b.cy);
    } else {
        tip = P(b.R, b.T + b.h * (a - 0.375) / 0.125), p1 = P(b.cx, b.cy + t),
        p2 = P(b.cx, b.cy - t);
    }
    const GeometryPtr tail = Open({p1, tip, p2});
    const RectF inner = {float(b.L + t), float(b.T + t), float(b.R - t), float(b.B - t)};
    GeometryPtr body;
    if (kind == 27)
        body = Geometry::ellipse({P(b.cx, b.cy), float((b.w - t) / 2), float((b.h - t) / 2)});
    else if (kind == 28)
        body = Geometry::rectangle(inner);
    else
        body = Geometry::roundedRectangle({inner, float(0.1 * b.m), float(0.1 * b.m)});
    return body->combined(*tail, CombineMode::Union, {}, 1.0f);
}

GeometryPtr Parallelogram(double a, const TRShapeBox& b) {
    const auto P = ShapePoint;
    if (a >= 0.25) {
        const double k = (a - 0.25) * 2 * b.w;
        return Closed({P(b.L + k, b.T), P(b.R, b.T), P(b.R - k, b.B), P(b.L, b.B)});
    }
    const double k = (0.25 - a) * 2 * b.w;
    return Closed({P(b.L, b.T), P(b.R - k, b.T), P(b.R, b.B), P(b.L + k, b.B)});
}

GeometryPtr Square(const TRShapeBox& b) {
    const double x = b.m == b.h ? b.L + (b.w - b.m) / 2 : b.L;
    const double y = b.m == b.h ? b.T : b.T + (b.h - b.m) / 2;
    return Geometry::rectangle({float(x), float(y), float(x + b.m), float(y + b.m)});
}

bool LineIsBent(double a) {
    return a < 0.2 || a > 0.3;
}

double LineBend(double a, const TRShapeBox& b) {
    return a <= 0.3 ? (a - 0.2) * 3 * b.h : (a - 0.3) * 3 * b.h;
}

// The shaft of "Line" and "Arrow" from (L, cy) to (R, cy), into a begun figure.
void AddShaft(PathBuilder& p, double a, const TRShapeBox& b) {
    if (!LineIsBent(a)) {
        p.addLine(ShapePoint(b.R, b.cy));
        return;
    }
    const double bend = LineBend(a, b);
    p.addBezier({ShapePoint(b.L + b.w / 4, b.cy + bend), ShapePoint(b.L + 3 * b.w / 4, b.cy + bend),
                 ShapePoint(b.R, b.cy)});
}

GeometryPtr Line(double a, const TRShapeBox& b) {
    PathBuilder p;
    p.setFillMode(FillMode::Winding);
    p.beginFigure(ShapePoint(b.L, b.cy));
    AddShaft(p, a, b);
    p.endFigure(FigureEnd::Open);
    return p.close();
}

GeometryPtr Arrow(double a, const TRShapeBox& b, int segment) {
    if (segment == 0)
        return Line(a, b);
    const double k = std::min(0.2 * b.w, b.h / 2);
    const double alpha = std::atan(1.8 * b.h / (b.w / 4)) * 90 / kPi;
    const double beta = LineIsBent(a) ? std::atan(3 * LineBend(a, b) / (b.w / 4)) * 90 / kPi : 0;
    const PointF tip = ShapePoint(b.R, b.cy);
    const PointF p1 = ShapePoint(b.R - k * Cos(beta - alpha), b.cy + k * Sin(beta - alpha));
    const PointF p2 = ShapePoint(b.R - k * Cos(beta + alpha), b.cy + k * Sin(beta + alpha));
    if (segment > 0)
        return Open({p1, tip, p2});
    PathBuilder p;
    p.setFillMode(FillMode::Winding);
    p.beginFigure(ShapePoint(b.L, b.cy));
    AddShaft(p, a, b);
    p.setStroked(false);
    p.addLine(p1);
    p.setStroked(true);
    p.addLine(tip);
    p.addLine(p2);
    p.setStroked(false);
    p.addLine(tip);
    p.endFigure(FigureEnd::Open);
    return p.close();
}

GeometryPtr Check(const TRShapeBox& b) {
    const double x0 = b.L + (b.w - b.m) / 2, y0 = b.T + (b.h - b.m) / 2, m = b.m;
    return Open({ShapePoint(x0 + 0.23 * m, y0 + 0.55 * m), ShapePoint(x0 + 0.36 * m, y0 + 0.69 * m),
                 ShapePoint(x0 + 0.83 * m, y0 + 0.25 * m)});
}

GeometryPtr Cross(const TRShapeBox& b, int segment) {
    const auto P = ShapePoint;
    if (segment == 0)
        return Open({P(b.L, b.T), P(b.R, b.B)});
    if (segment > 0)
        return Open({P(b.R, b.T), P(b.L, b.B)});
    PathBuilder p;
    p.setFillMode(FillMode::Winding);
    p.beginFigure(P(b.L, b.T));
    p.addLine(P(b.R, b.B));
    p.setStroked(false);
    p.addLine(P(b.R, b.T));
    p.setStroked(true);
    p.addLine(P(b.L, b.B));
    p.endFigure(FigureEnd::Open);
    return p.close();
}

} // namespace

GeometryPtr KindGeometry(int kind, double a, const TRShapeBox& b, int segment) {
    if (GeometryPtr border = BorderGeometry(kind, a, b, segment))
        return border;
    switch (kind) {
    case 0:
        return Rectangle(a, b);
    case 9:
        return NotchedRectangle(a, b);
    case 10:
        return ScoopedRectangle(a, b);
    case 15:
        return Triangle(a, b);
    case 16:
        return Star(a, b);
    case 17:
        return Hexagram(a, b);
    case 18:
        return Ring(a, b, std::min(b.w / 2, b.h / 2), std::min(b.w / 2, b.h / 2), segment);
    case 19:
        return Ring(a, b, b.w / 2, b.h / 2, segment);
    case 20:
        return Hexagon(b);
    case 21:
        return Octagon(b);
    case 22:
    case 23:
    case 24:
    case 25:
        return BlockArrow(kind, a, b);
    case 26:
        return Wave(a, b);
    case 27:
    case 28:
    case 29:
        return Balloon(kind, a, b);
    case 30:
        return Parallelogram(a, b);
    case 31:
        return Square(b);
    case 32:
        return Line(a, b);
    case 33:
        return Arrow(a, b, segment);
    case 34:
        return Check(b);
    case 35:
        return Cross(b, segment);
    default:
        return Rectangle(a, b);
    }
}
