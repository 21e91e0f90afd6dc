// Geometry: immutable shapes (rectangles, rounded rectangles, ellipses, paths of lines,
// Béziers and elliptical arcs) that can be filled, stroked, transformed, combined, measured
// and hit-tested. Coordinates are DIPs; y grows downwards, so "clockwise" is clockwise on screen.
#pragma once

#include "platform/render/Types.h"

#include <QPainterPath>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <vector>

namespace platform::render {

enum class FillMode { Alternate, Winding };
enum class CombineMode { Union, Intersect, Xor, Exclude };
enum class SweepDirection { CounterClockwise, Clockwise };
enum class ArcSize { Small, Large };
enum class FigureEnd { Open, Closed };

struct BezierSegment {
    PointF point1, point2, point3;
};

/// An elliptical arc from the current point to `point` on an ellipse of radii `size`,
/// rotated by `rotationAngle` degrees.
struct ArcSegment {
    PointF point;
    SizeF size;
    float rotationAngle = 0;
    SweepDirection sweepDirection = SweepDirection::Clockwise;
    ArcSize arcSize = ArcSize::Small;
};

class Geometry;
using GeometryPtr = std::shared_ptr<const Geometry>;

class Geometry {
public:
    static GeometryPtr rectangle(const RectF& rect);
    static GeometryPtr roundedRectangle(const RoundedRect& rect);
    static GeometryPtr ellipse(const Ellipse& ellipse);
    /// Adopts a Qt path (its fill rule becomes the fill mode).
    static GeometryPtr fromPath(const QPainterPath& path);
    /// A geometry whose border strokes only `strokePath` (a part of the outline of `path`).
    static GeometryPtr fromPaths(const QPainterPath& path, const QPainterPath& strokePath);

    /// This geometry mapped through `m`.
    GeometryPtr transformed(const Matrix3x2& m) const;
    /// This geometry combined with `other` (first mapped through `otherTransform`). Where the
    /// shapes meet, Qt's path clipper flattens the curves into a fixed number of lines per
    /// curve (a circle of radius 100 DIPs stays within 0.01 DIP of its arc, one of 1000 within
    /// 0.1) whatever `tolerance` says: it is accepted for callers that pass one and not used.
    /// Shapes that do not meet keep their curves.
    GeometryPtr combined(const Geometry& other, CombineMode mode,
                         const Matrix3x2& otherTransform = {}, float tolerance = 0.25f) const;

    /// The bounds after mapping through `world`; an empty rectangle for an empty geometry.
    RectF bounds(const Matrix3x2& world = {}) const;
    /// Whether the filled geometry (mapped through `world`) covers `point`, allowing `tolerance`.
    bool fillContainsPoint(PointF point, const Matrix3x2& world = {},
                           float tolerance = 0.25f) const;
    /// The length of every figure's outline (closed figures include their closing line), after
    /// mapping through `world`, with curves flattened to within `tolerance` (never coarser
    /// than 0.05 DIPs).
    float computeLength(const Matrix3x2& world = {}, float tolerance = 0.25f) const;
    /// The point at `length` along the outline and the unit tangent there (direction of travel).
    /// Lengths below 0 give the start, beyond the end the end. False for an empty geometry.
    bool computePointAtLength(float length, PointF& point, PointF& unitTangent,
                              const Matrix3x2& world = {}, float tolerance = 0.25f) const;

    FillMode fillMode() const;
    /// The outline that fills and hit tests use: every line of every figure.
    const QPainterPath& path() const { return path_; }
    /// The lines that strokes and dashes draw: the outline without its unstroked lines.
    const QPainterPath& strokePath() const { return stroke_ ? *stroke_ : path_; }

private:
    explicit Geometry(QPainterPath path, std::optional<QPainterPath> stroke = {})
        : path_(std::move(path)), stroke_(std::move(stroke)) {}
    QPainterPath path_;
    std::optional<QPainterPath> stroke_; // set when some lines are unstroked
};

/// Where an open figure of a path starts and ends, with the unit direction of travel there.
struct FigureEnds {
    QPointF start, startDirection;
    QPointF end, endDirection;
};

/// The ends of every open figure of `path` (figures that return to their start are closed).
std::vector<FigureEnds> openFigureEnds(const QPainterPath& path);

/// Builds a path geometry figure by figure (the geometry sink): beginFigure, segments,
/// endFigure, ..., then close(). Segments outside a figure are ignored. Segments added while
/// `setStroked(false)` is in force belong to the fill but leave no stroke; a figure begins
/// stroked, and the closing line of a closed figure takes the setting in force at endFigure.
class PathBuilder {
public:
    void setFillMode(FillMode mode);
    void setStroked(bool stroked);
    void beginFigure(PointF start);
    void addLine(PointF point);
    void addLines(std::span<const PointF> points);
    void addBezier(const BezierSegment& bezier);
    void addQuadraticBezier(PointF control, PointF end);
    void addArc(const ArcSegment& arc);
    void endFigure(FigureEnd end);
    /// The finished geometry; the builder is empty afterwards.
    GeometryPtr close();

private:
    // Continues the stroke path at the fill path's current point before a stroked segment.
    void beginStrokedSegment();
    void addStrokedOrNot(const std::function<void(QPainterPath&)>& add);

    QPainterPath path_;
    QPainterPath stroke_;
    QPointF figureStart_;
    bool inFigure_ = false;
    bool stroked_ = true;
    bool strokeJoined_ = false; // the stroke path's current point is the fill path's
    bool figureBroken_ = false; // the current figure has an unstroked segment
    bool anyUnstroked_ = false; // some segment of the geometry is unstroked
};

} // namespace platform::render
