// Stroke styles: caps, joins, miter limit and dashes of an outline.
#pragma once

#include <QPainterPath>
#include <QPen>
#include <memory>
#include <vector>

namespace platform::render {

enum class CapStyle { Flat, Square, Round, Triangle };
enum class LineJoin { Miter, Bevel, Round, MiterOrBevel };
enum class DashStyle { Solid, Dash, Dot, DashDot, DashDotDot, Custom };
/// How the stroke width follows the transform: Normal scales with it, Fixed keeps the width in
/// device pixels, Hairline draws one device pixel wide.
enum class StrokeTransformType { Normal, Fixed, Hairline };

struct StrokeStyleProperties {
    CapStyle startCap = CapStyle::Flat;
    CapStyle endCap = CapStyle::Flat;
    CapStyle dashCap = CapStyle::Flat;
    LineJoin lineJoin = LineJoin::Miter;
    float miterLimit = 10;
    DashStyle dashStyle = DashStyle::Solid;
    float dashOffset = 0; ///< in stroke widths
    StrokeTransformType transformType = StrokeTransformType::Normal;
};

class StrokeStyle {
public:
    /// `dashes` (alternating dash and gap lengths in stroke widths) is used with
    /// DashStyle::Custom only. nullptr when a custom pattern is empty, has a negative entry or
    /// sums to zero.
    static std::shared_ptr<StrokeStyle> create(const StrokeStyleProperties& props,
                                               std::vector<float> dashes = {});
    const StrokeStyleProperties& properties() const { return props_; }
    const std::vector<float>& dashes() const { return dashes_; }

    /// A pen of `width` with this style. Qt has one cap for a whole stroke: dashed strokes take
    /// the dash cap (triangle dash caps are drawn round), solid ones the start cap.
    QPen toQPen(const QBrush& brush, float width, float deviceScale) const;

    /// Whether a stroke that is `deviceWidth` pixels wide on the target must be filled as
    /// outline() instead of stroked with toQPen(): a solid one with caps Qt cannot draw
    /// (different start and end caps, or triangles), and a dashed one no wider than a pixel,
    /// whose dashes Qt's pen would measure in pixels instead of stroke widths.
    bool needsOutline(float deviceWidth) const;
    /// The area a stroke of `width` along `path` covers: the dashes with their dash caps, or
    /// for a solid stroke the start and end caps of every open figure.
    QPainterPath outline(const QPainterPath& path, float width) const;

private:
    /// The dash pattern in stroke widths; empty for a solid stroke.
    QList<qreal> pattern() const;
    StrokeStyle(const StrokeStyleProperties& props, std::vector<float> dashes)
        : props_(props), dashes_(std::move(dashes)) {}
    StrokeStyleProperties props_;
    std::vector<float> dashes_;
};

using StrokeStylePtr = std::shared_ptr<const StrokeStyle>;

/// The pen of a stroke without a style (solid, flat caps, miter joins with limit 10).
QPen defaultPen(const QBrush& brush, float width);

} // namespace platform::render
