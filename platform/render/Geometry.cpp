#include "platform/render/Geometry.h"

#include <QPolygonF>
#include <algorithm>
#include <cmath>
#include <numbers>

namespace platform::render {

namespace {

constexpr double kPi = std::numbers::pi;

QPointF qp(PointF p) {
    return {p.x, p.y};
}

QPainterPath mapped(const QPainterPath& path, const Matrix3x2& m) {
    return m.isIdentity() ? path : m.toQTransform().map(path);
}

// Unit-circle arc from angle a to b (|b - a| <= 90 degrees) as one cubic, mapped by `toEllipse`.
void addArcPiece(QPainterPath& path, double a, double b, const QTransform& toEllipse) {
    const double k = 4.0 / 3.0 * std::tan((b - a) / 4);
    const QPointF p1(std::cos(a) - k * std::sin(a), std::sin(a) + k * std::cos(a));
    const QPointF p2(std::cos(b) + k * std::sin(b), std::sin(b) - k * std::cos(b));
    const QPointF p3(std::cos(b), std::sin(b));
    path.cubicTo(toEllipse.map(p1), toEllipse.map(p2), toEllipse.map(p3));
}

double angleBetween(double ux, double uy, double vx, double vy) {
    return std::atan2(ux * vy - uy * vx, ux * vx + uy * vy);
}

// Appends an elliptical arc from the path's current point (endpoint form converted to the
// centre form, radii grown when they cannot reach the end point).
void appendArc(QPainterPath& path, const ArcSegment& arc) {
    const QPointF p0 = path.currentPosition();
    const QPointF p1 = qp(arc.point);
    double rx = std::fabs(arc.size.width);
    double ry = std::fabs(arc.size.height);
    if (p0 == p1)
        return;
    if (rx == 0 || ry == 0) {
        path.lineTo(p1);
        return;
    }
    const double phi = arc.rotationAngle * kPi / 180;
    const double cs = std::cos(phi), sn = std::sin(phi);
    const double hx = (p0.x() - p1.x()) / 2, hy = (p0.y() - p1.y()) / 2;
    const double x1 = cs * hx + sn * hy, y1 = -sn * hx + cs * hy;
    const double lambda = x1 * x1 / (rx * rx) + y1 * y1 / (ry * ry);
    if (lambda > 1) {
        rx *= std::sqrt(lambda);
        ry *= std::sqrt(lambda);
    }
    const bool sweep = arc.sweepDirection == SweepDirection::Clockwise;
    const bool large = arc.arcSize == ArcSize::Large;
    const double num = rx * rx * ry * ry - rx * rx * y1 * y1 - ry * ry * x1 * x1;
    const double den = rx * rx * y1 * y1 + ry * ry * x1 * x1;
    const double coef = (large != sweep ? 1 : -1) * std::sqrt(std::max(0.0, num / den));
    const double cxp = coef * rx * y1 / ry, cyp = -coef * ry * x1 / rx;
    const double cx = cs * cxp - sn * cyp + (p0.x() + p1.x()) / 2;
    const double cy = sn * cxp + cs * cyp + (p0.y() + p1.y()) / 2;
    const double theta = angleBetween(1, 0, (x1 - cxp) / rx, (y1 - cyp) / ry);
    double delta =
        angleBetween((x1 - cxp) / rx, (y1 - cyp) / ry, (-x1 - cxp) / rx, (-y1 - cyp) / ry);
    if (!sweep && delta > 0)
        delta -= 2 * kPi;
    else if (sweep && delta < 0)
        delta += 2 * kPi;
    const QTransform toEllipse = QTransform().scale(rx, ry) * QTransform(cs, sn, -sn, cs, cx, cy);
    const int pieces = std::max(1, int(std::ceil(std::fabs(delta) / (kPi / 2) - 1e-9)));
    for (int i = 0; i < pieces; ++i)
        addArcPiece(path, theta + delta * i / pieces, theta + delta * (i + 1) / pieces, toEllipse);
    // Land exactly on the requested end point.
    path.setElementPositionAt(path.elementCount() - 1, p1.x(), p1.y());
}

// Flattening never less precise than this (DIPs), so lengths and tangents stay close to the
// true curve whatever tolerance a caller asks for.
constexpr double kFinestTolerance = 0.05;

// A straight piece of a flattened outline with the true tangents at its ends.
struct Segment {
    QPointF from, to;
    QPointF tangentFrom, tangentTo;
    double length() const { return std::hypot(to.x() - from.x(), to.y() - from.y()); }
};

QPointF unit(QPointF v) {
    const double len = std::hypot(v.x(), v.y());
    return len > 0 ? v / len : QPointF();
}

// Appends the cubic p0..p3 as segments whose distance from the curve stays within `tol`.
void flattenCubic(std::vector<Segment>& out, QPointF p0, QPointF p1, QPointF p2, QPointF p3,
                  double tol) {
    const QPointF d1 = p0 - 2 * p1 + p2;
    const QPointF d2 = p1 - 2 * p2 + p3;
    const double m = std::max(std::hypot(d1.x(), d1.y()), std::hypot(d2.x(), d2.y()));
    const int n = std::clamp(int(std::ceil(std::sqrt(0.75 * m / tol))), 1, 4096);
    auto at = [&](double t) {
        const double u = 1 - t;
        return u * u * u * p0 + 3 * u * u * t * p1 + 3 * u * t * t * p2 + t * t * t * p3;
    };
    auto tangent = [&](double t) {
        const double u = 1 - t;
        const QPointF d = 3 * u * u * (p1 - p0) + 6 * u * t * (p2 - p1) + 3 * t * t * (p3 - p2);
        return d.isNull() ? unit(p3 - p0) : unit(d);
    };
    for (int i = 0; i < n; ++i) {
        const double t0 = double(i) / n, t1 = double(i + 1) / n;
        out.push_back({at(t0), at(t1), tangent(t0), tangent(t1)});
    }
}

// The outline, flattened, as one list of segments per figure (closed figures end with their
// closing line).
std::vector<std::vector<Segment>> flatten(const QPainterPath& source, const Matrix3x2& world,
                                          float tolerance) {
    const QPainterPath path = mapped(source, world);
    const double tol = std::clamp<double>(tolerance, 1e-3, kFinestTolerance);
    std::vector<std::vector<Segment>> figures;
    QPointF current;
    for (int i = 0; i < path.elementCount(); ++i) {
        const QPainterPath::Element e = path.elementAt(i);
        if (e.isMoveTo() || figures.empty())
            figures.emplace_back();
        if (e.isLineTo()) {
            const QPointF dir = unit(QPointF(e) - current);
            figures.back().push_back({current, QPointF(e), dir, dir});
        } else if (e.isCurveTo() && i + 2 < path.elementCount()) {
            flattenCubic(figures.back(), current, e, path.elementAt(i + 1), path.elementAt(i + 2),
                         tol);
            i += 2;
        }
        current = path.elementAt(i);
    }
    return figures;
}

} // namespace

GeometryPtr Geometry::rectangle(const RectF& r) {
    QPainterPath path;
    path.addRect(r.toQRectF());
    return fromPath(path);
}

GeometryPtr Geometry::roundedRectangle(const RoundedRect& r) {
    QPainterPath path;
    const float rx = std::min(std::fabs(r.radiusX), std::fabs(r.rect.width()) / 2);
    const float ry = std::min(std::fabs(r.radiusY), std::fabs(r.rect.height()) / 2);
    path.addRoundedRect(r.rect.toQRectF(), rx, ry);
    return fromPath(path);
}

GeometryPtr Geometry::ellipse(const Ellipse& e) {
    QPainterPath path;
    path.addEllipse(qp(e.center), e.radiusX, e.radiusY);
    return fromPath(path);
}

GeometryPtr Geometry::fromPath(const QPainterPath& path) {
    return GeometryPtr(new Geometry(path));
}

GeometryPtr Geometry::fromPaths(const QPainterPath& path, const QPainterPath& strokePath) {
    return GeometryPtr(new Geometry(path, strokePath));
}

GeometryPtr Geometry::transformed(const Matrix3x2& m) const {
    if (stroke_)
        return fromPaths(mapped(path_, m), mapped(*stroke_, m));
    return fromPath(mapped(path_, m));
}

GeometryPtr Geometry::combined(const Geometry& other, CombineMode mode,
                               const Matrix3x2& otherTransform, float) const {
    const QPainterPath a = path_;
    const QPainterPath b = mapped(other.path_, otherTransform);
    QPainterPath out;
    switch (mode) {
    case CombineMode::Union:
        out = a.united(b);
        break;
    case CombineMode::Intersect:
        out = a.intersected(b);
        break;
    case CombineMode::Exclude:
        out = a.subtracted(b);
        break;
    case CombineMode::Xor:
        out = a.united(b).subtracted(a.intersected(b));
        break;
    }
    return fromPath(out);
}

RectF Geometry::bounds(const Matrix3x2& world) const {
    if (path_.isEmpty())
        return {};
    return RectF::fromQRectF(mapped(path_, world).boundingRect());
}

bool Geometry::fillContainsPoint(PointF point, const Matrix3x2& world, float) const {
    return mapped(path_, world).contains(qp(point));
}

float Geometry::computeLength(const Matrix3x2& world, float tolerance) const {
    double total = 0;
    for (const std::vector<Segment>& figure : flatten(path_, world, tolerance))
        for (const Segment& seg : figure)
            total += seg.length();
    return float(total);
}

bool Geometry::computePointAtLength(float length, PointF& point, PointF& tangent,
                                    const Matrix3x2& world, float tolerance) const {
    bool any = false;
    double walked = 0;
    for (const std::vector<Segment>& figure : flatten(path_, world, tolerance)) {
        for (const Segment& seg : figure) {
            const double len = seg.length();
            if (len <= 0)
                continue;
            if (walked + len >= length) {
                const double f = std::clamp((length - walked) / len, 0.0, 1.0);
                const QPointF at = seg.from + (seg.to - seg.from) * f;
                const QPointF dir = unit(seg.tangentFrom * (1 - f) + seg.tangentTo * f);
                point = {float(at.x()), float(at.y())};
                tangent = {float(dir.x()), float(dir.y())};
                return true;
            }
            walked += len;
            any = true;
            point = {float(seg.to.x()), float(seg.to.y())}; // the end, unless more follows
            tangent = {float(seg.tangentTo.x()), float(seg.tangentTo.y())};
        }
    }
    return any;
}

FillMode Geometry::fillMode() const {
    return path_.fillRule() == Qt::WindingFill ? FillMode::Winding : FillMode::Alternate;
}

std::vector<FigureEnds> openFigureEnds(const QPainterPath& path) {
    std::vector<FigureEnds> out;
    for (const std::vector<Segment>& figure : flatten(path, {}, kFinestTolerance)) {
        auto first = std::find_if(figure.begin(), figure.end(),
                                  [](const Segment& s) { return s.length() > 0; });
        auto last = std::find_if(figure.rbegin(), figure.rend(),
                                 [](const Segment& s) { return s.length() > 0; });
        if (first == figure.end() || first->from == last->to)
            continue;
        out.push_back({first->from, first->tangentFrom, last->to, last->tangentTo});
    }
    return out;
}

void PathBuilder::setFillMode(FillMode mode) {
    path_.setFillRule(mode == FillMode::Winding ? Qt::WindingFill : Qt::OddEvenFill);
}

void PathBuilder::setStroked(bool stroked) {
    stroked_ = stroked;
}

void PathBuilder::beginFigure(PointF start) {
    path_.moveTo(qp(start));
    figureStart_ = qp(start);
    inFigure_ = true;
    stroked_ = true;
    strokeJoined_ = false;
    figureBroken_ = false;
}

void PathBuilder::beginStrokedSegment() {
    if (!strokeJoined_)
        stroke_.moveTo(path_.currentPosition());
    strokeJoined_ = true;
}

void PathBuilder::addStrokedOrNot(const std::function<void(QPainterPath&)>& add) {
    if (!inFigure_)
        return;
    if (stroked_) {
        beginStrokedSegment();
        add(stroke_);
    } else {
        strokeJoined_ = false;
        figureBroken_ = anyUnstroked_ = true;
    }
    add(path_);
}

void PathBuilder::addLine(PointF point) {
    addStrokedOrNot([&](QPainterPath& p) { p.lineTo(qp(point)); });
}

void PathBuilder::addLines(std::span<const PointF> points) {
    for (PointF p : points)
        addLine(p);
}

void PathBuilder::addBezier(const BezierSegment& b) {
    addStrokedOrNot([&](QPainterPath& p) { p.cubicTo(qp(b.point1), qp(b.point2), qp(b.point3)); });
}

void PathBuilder::addQuadraticBezier(PointF control, PointF end) {
    addStrokedOrNot([&](QPainterPath& p) { p.quadTo(qp(control), qp(end)); });
}

void PathBuilder::addArc(const ArcSegment& arc) {
    addStrokedOrNot([&](QPainterPath& p) { appendArc(p, arc); });
}

void PathBuilder::endFigure(FigureEnd end) {
    if (!inFigure_)
        return;
    inFigure_ = false;
    if (end != FigureEnd::Closed)
        return;
    if (!stroked_) {
        anyUnstroked_ = true;
    } else if (!figureBroken_ && strokeJoined_) {
        stroke_.closeSubpath();
    } else if (path_.currentPosition() != figureStart_) {
        beginStrokedSegment();
        stroke_.lineTo(figureStart_);
    }
    path_.closeSubpath();
}

GeometryPtr PathBuilder::close() {
    const QPainterPath done = path_;
    const QPainterPath stroke = stroke_;
    const bool separate = anyUnstroked_;
    const Qt::FillRule rule = path_.fillRule();
    path_ = QPainterPath();
    path_.setFillRule(rule);
    stroke_ = QPainterPath();
    inFigure_ = strokeJoined_ = figureBroken_ = anyUnstroked_ = false;
    return separate ? Geometry::fromPaths(done, stroke) : Geometry::fromPath(done);
}

} // namespace platform::render
