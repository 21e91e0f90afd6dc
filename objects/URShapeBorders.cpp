// The partial-border kinds: one closed figure around the whole rectangle (so the fill is always
// the rectangle) of which only some lines are stroked, growing with the adjust value.
#include "objects/URShapeGeometry.h"

#include <algorithm>
#include <vector>

using namespace platform::render;

namespace {

struct Step {
    PointF point;
    bool stroked;
};

// Builds the figures of a border: `start`, then every step with its own stroke flag; the
// closing line takes the flag of the last step (stroked when there is none).
class TRBorderFigure {
public:
    TRBorderFigure(double x, double y) : start_(ShapePoint(x, y)) {}
    TRBorderFigure& S(double x, double y) { return add(x, y, true); }
    TRBorderFigure& U(double x, double y) { return add(x, y, false); }
    // An unstroked line to the start of `run`, then the lines of `run` with their own flags.
    TRBorderFigure& Then(const TRBorderFigure& run) {
        U(run.start_.x, run.start_.y);
        for (const Step& s : run.steps_)
            add(s.point.x, s.point.y, s.stroked);
        return *this;
    }
    // Sets the flag for the closing line without a new vertex.
    TRBorderFigure& Flag(bool stroked) {
        closing_ = stroked;
        return *this;
    }
    GeometryPtr Closed() const { return build(FigureEnd::Closed); }
    GeometryPtr Open() const { return build(FigureEnd::Open); }

private:
    TRBorderFigure& add(double x, double y, bool stroked) {
        steps_.push_back({ShapePoint(x, y), stroked});
        closing_ = stroked;
        return *this;
    }
    GeometryPtr build(FigureEnd end) const {
        PathBuilder p;
        p.setFillMode(FillMode::Winding);
        p.beginFigure(start_);
        for (const Step& s : steps_) {
            p.setStroked(s.stroked);
            p.addLine(s.point);
        }
        p.setStroked(closing_);
        p.endFigure(end);
        return p.close();
    }
    PointF start_;
    std::vector<Step> steps_;
    bool closing_ = true;
};

GeometryPtr ZeroState(const TRShapeBox& b) {
    return TRBorderFigure(b.L, b.T).U(b.R, b.T).U(b.R, b.B).U(b.L, b.B).Closed();
}

// The distance f the side kinds grow by: along the drawn side up to 0.25, then along the
// perpendicular ones.
double SideRun(double a, double along, double across) {
    return a <= 0.25 ? 2 * a * along : 2 * (a - 0.25) * across;
}

// The stroked run of each side, as an open figure: the middle of the side up to 0.25, then the
// whole side and a part of both neighbouring sides.
TRBorderFigure RightRun(double a, const TRShapeBox& b) {
    const double f = SideRun(a, b.h, b.w), y0 = (b.T + b.B) / 2;
    if (a <= 0.25)
        return std::move(TRBorderFigure(b.R, y0 - f).S(b.R, y0 + f));
    return std::move(TRBorderFigure(b.R - f, b.T).S(b.R, b.T).S(b.R, b.B).S(b.R - f, b.B));
}

TRBorderFigure LeftRun(double a, const TRShapeBox& b) {
    const double f = SideRun(a, b.h, b.w), y0 = (b.T + b.B) / 2;
    if (a <= 0.25)
        return std::move(TRBorderFigure(b.L, y0 + f).S(b.L, y0 - f));
    return std::move(TRBorderFigure(b.L + f, b.B).S(b.L, b.B).S(b.L, b.T).S(b.L + f, b.T));
}

TRBorderFigure TopRun(double a, const TRShapeBox& b) {
    const double f = SideRun(a, b.w, b.h), x0 = (b.L + b.R) / 2;
    if (a <= 0.25)
        return std::move(TRBorderFigure(x0 - f, b.T).S(x0 + f, b.T));
    return std::move(TRBorderFigure(b.L, b.T + f).S(b.L, b.T).S(b.R, b.T).S(b.R, b.T + f));
}

TRBorderFigure BottomRun(double a, const TRShapeBox& b) {
    const double f = SideRun(a, b.w, b.h), x0 = (b.L + b.R) / 2;
    if (a <= 0.25)
        return std::move(TRBorderFigure(x0 + f, b.B).S(x0 - f, b.B));
    return std::move(TRBorderFigure(b.R, b.B - f).S(b.R, b.B).S(b.L, b.B).S(b.L, b.B - f));
}

// The closed outlines of the side kinds: the runs joined by unstroked lines round the rest of
// the rectangle.
GeometryPtr LeftBorder(double a, const TRShapeBox& b) {
    TRBorderFigure f(b.R, b.T);
    if (a <= 0.25)
        return f.U(b.R, b.B).U(b.L, b.B).Then(LeftRun(a, b)).U(b.L, b.T).U(b.R, b.T).Closed();
    return f.U(b.R, b.B).Then(LeftRun(a, b)).Flag(false).Closed();
}

GeometryPtr RightBorder(double a, const TRShapeBox& b) {
    if (a <= 0.25)
        return RightRun(a, b).U(b.R, b.B).U(b.L, b.B).U(b.L, b.T).U(b.R, b.T).Closed();
    return RightRun(a, b).U(b.L, b.B).U(b.L, b.T).U(b.R - SideRun(a, b.h, b.w), b.T).Closed();
}

GeometryPtr TopBorder(double a, const TRShapeBox& b) {
    if (a <= 0.25)
        return TopRun(a, b).U(b.R, b.T).U(b.R, b.B).U(b.L, b.B).U(b.L, b.T).Closed();
    return TopRun(a, b).U(b.R, b.B).U(b.L, b.B).U(b.L, b.B - SideRun(a, b.w, b.h)).Closed();
}

GeometryPtr BottomBorder(double a, const TRShapeBox& b) {
    const TRBorderFigure run = BottomRun(a, b);
    if (a <= 0.25)
        return TRBorderFigure(b.L, b.T)
            .U(b.R, b.T)
            .U(b.R, b.B)
            .Then(run)
            .U(b.L, b.B)
            .U(b.L, b.T)
            .Closed();
    const double f = SideRun(a, b.w, b.h);
    return TRBorderFigure(b.L, b.T + f).U(b.L, b.T).U(b.R, b.T).Then(run).Flag(false).Closed();
}

GeometryPtr LeftRightBorder(double a, const TRShapeBox& b, int segment) {
    TRBorderFigure right = RightRun(a, b), left = LeftRun(a, b);
    if (segment >= 0)
        return (segment == 0 ? right : left).Open();
    if (a <= 0)
        return ZeroState(b);
    if (a <= 0.25)
        return right.U(b.R, b.B).U(b.L, b.B).Then(left).U(b.L, b.T).U(b.R, b.T).Closed();
    return right.Then(left).Flag(false).Closed();
}

GeometryPtr TopBottomBorder(double a, const TRShapeBox& b, int segment) {
    TRBorderFigure top = TopRun(a, b), bottom = BottomRun(a, b);
    if (segment >= 0)
        return (segment == 0 ? top : bottom).Open();
    if (a <= 0)
        return ZeroState(b);
    if (a <= 0.25)
        return top.U(b.R, b.T).U(b.R, b.B).Then(bottom).U(b.L, b.B).U(b.L, b.T).Closed();
    return top.Then(bottom).Flag(false).Closed();
}

GeometryPtr AllBorder(double a, const TRShapeBox& b) {
    TRBorderFigure f(b.L, b.T);
    if (a <= 0.125)
        return f.S(b.L + 8 * a * b.w, b.T).U(b.R, b.T).U(b.R, b.B).U(b.L, b.B).Closed();
    if (a <= 0.25)
        return f.S(b.R, b.T).S(b.R, b.T + 8 * (a - 0.125) * b.h).U(b.R, b.B).U(b.L, b.B).Closed();
    if (a <= 0.375)
        return f.S(b.R, b.T).S(b.R, b.B).S(b.R - 8 * (a - 0.25) * b.w, b.B).U(b.L, b.B).Closed();
    if (a < 0.5)
        return f.S(b.R, b.T)
            .S(b.R, b.B)
            .S(b.L, b.B)
            .S(b.L, b.B - 8 * (a - 0.375) * b.h)
            .U(b.L, b.B)
            .Closed();
    return f.S(b.R, b.T).S(b.R, b.B).S(b.L, b.B).Closed();
}

// The four corner brackets of arm c, each from the end of one arm round the corner.
TRBorderFigure CornerRun(int corner, double c, const TRShapeBox& b) {
    switch (corner) {
    case 0:
        return std::move(TRBorderFigure(b.L, b.T + c).S(b.L, b.T).S(b.L + c, b.T));
    case 1:
        return std::move(TRBorderFigure(b.R - c, b.T).S(b.R, b.T).S(b.R, b.T + c));
    case 2:
        return std::move(TRBorderFigure(b.R, b.B - c).S(b.R, b.B).S(b.R - c, b.B));
    default:
        return std::move(TRBorderFigure(b.L + c, b.B).S(b.L, b.B).S(b.L, b.B - c));
    }
}

GeometryPtr CornerBorder(double a, const TRShapeBox& b, int segment) {
    const double c = a * std::min(b.w, b.h);
    if (segment >= 0 && segment < 4)
        return CornerRun(segment, c, b).Open();
    if (a <= 0)
        return ZeroState(b);
    return CornerRun(0, c, b)
        .Then(CornerRun(1, c, b))
        .Then(CornerRun(2, c, b))
        .Then(CornerRun(3, c, b))
        .U(b.L, b.T + c)
        .Flag(true)
        .Closed();
}

// A run along one horizontal side from the named end; x/y is the start corner, dx the
// direction along the side and y2 the opposite side.
GeometryPtr SideEndBorder(double a, double x, double y, double x2, double y2, double dx) {
    const double f = 2 * a * std::fabs(x2 - x);
    return TRBorderFigure(x, y).S(x + dx * f, y).U(x2, y).U(x2, y2).U(x, y2).U(x, y).Closed();
}

} // namespace

GeometryPtr BorderGeometry(int kind, double a, const TRShapeBox& b, int segment) {
    if (kind < 1 || (kind > 8 && kind < 11) || kind > 14)
        return nullptr;
    if (kind == 2)
        return CornerBorder(a, b, segment);
    if (kind == 3)
        return LeftRightBorder(a, b, segment);
    if (kind == 4)
        return TopBottomBorder(a, b, segment);
    if (a <= 0)
        return ZeroState(b);
    switch (kind) {
    case 1:
        return AllBorder(a, b);
    case 5:
        return LeftBorder(a, b);
    case 6:
        return TopBorder(a, b);
    case 7:
        return BottomBorder(a, b);
    case 8:
        return RightBorder(a, b);
    case 11:
        return SideEndBorder(a, b.L, b.T, b.R, b.B, 1);
    case 12:
        return SideEndBorder(a, b.R, b.T, b.L, b.B, -1);
    case 13:
        return SideEndBorder(a, b.L, b.B, b.R, b.T, 1);
    default:
        return SideEndBorder(a, b.R, b.B, b.L, b.T, -1);
    }
}
