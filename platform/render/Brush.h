// Brushes: what fills and strokes paint with. Brushes are small shared objects whose colour,
// opacity and transform may be changed between draws.
#pragma once

#include "platform/render/Bitmap.h"
#include "platform/render/Types.h"

#include <QBrush>
#include <memory>
#include <vector>

namespace platform::render {

/// How a gradient or bitmap continues outside its defined area.
/// The colour clamped to 0..1 as a QColor.
QColor toQColor(const ColorF& color);

enum class ExtendMode { Clamp, Wrap, Mirror };

struct GradientStop {
    float position = 0; ///< 0..1 along the gradient
    ColorF color;       ///< straight colour; its alpha is the stop's opacity
};

/// An immutable, shareable list of gradient stops (sorted by position on creation).
class GradientStopCollection {
public:
    static std::shared_ptr<GradientStopCollection> create(std::vector<GradientStop> stops,
                                                          ExtendMode extend = ExtendMode::Clamp);
    const std::vector<GradientStop>& stops() const { return stops_; }
    ExtendMode extendMode() const { return extend_; }

private:
    GradientStopCollection(std::vector<GradientStop> stops, ExtendMode extend);
    std::vector<GradientStop> stops_;
    ExtendMode extend_;
};

using GradientStopsPtr = std::shared_ptr<const GradientStopCollection>;

class Brush {
public:
    virtual ~Brush();
    /// Multiplies every painted pixel's alpha, 0..1.
    float opacity() const { return opacity_; }
    void setOpacity(float opacity);
    /// Maps brush space to the user space of the draw (applied before the draw's transform).
    const Matrix3x2& transform() const { return transform_; }
    void setTransform(const Matrix3x2& m) { transform_ = m; }

    /// The Qt brush in brush space (no opacity; the transform is set on the QBrush).
    virtual QBrush toQBrush() const = 0;

protected:
    Brush() = default;

private:
    float opacity_ = 1;
    Matrix3x2 transform_;
};

using BrushPtr = std::shared_ptr<Brush>;

class SolidColorBrush : public Brush {
public:
    static std::shared_ptr<SolidColorBrush> create(const ColorF& color, float opacity = 1);
    const ColorF& color() const { return color_; }
    void setColor(const ColorF& color) { color_ = color; }
    QBrush toQBrush() const override;

private:
    explicit SolidColorBrush(const ColorF& color) : color_(color) {}
    ColorF color_;
};

/// Colours along the line from startPoint to endPoint (brush space).
class LinearGradientBrush : public Brush {
public:
    static std::shared_ptr<LinearGradientBrush> create(PointF startPoint, PointF endPoint,
                                                       GradientStopsPtr stops);
    PointF startPoint() const { return start_; }
    PointF endPoint() const { return end_; }
    void setStartPoint(PointF p) { start_ = p; }
    void setEndPoint(PointF p) { end_ = p; }
    const GradientStopsPtr& stops() const { return stops_; }
    QBrush toQBrush() const override;

private:
    LinearGradientBrush(PointF s, PointF e, GradientStopsPtr stops)
        : start_(s), end_(e), stops_(std::move(stops)) {}
    PointF start_, end_;
    GradientStopsPtr stops_;
};

/// Colours over the ellipse at `center` with the given radii; the gradient origin is offset
/// from the centre by `originOffset`.
class RadialGradientBrush : public Brush {
public:
    static std::shared_ptr<RadialGradientBrush> create(PointF center, PointF originOffset,
                                                       float radiusX, float radiusY,
                                                       GradientStopsPtr stops);
    PointF center() const { return center_; }
    PointF originOffset() const { return offset_; }
    float radiusX() const { return rx_; }
    float radiusY() const { return ry_; }
    void setCenter(PointF c) { center_ = c; }
    void setOriginOffset(PointF o) { offset_ = o; }
    void setRadius(float rx, float ry);
    const GradientStopsPtr& stops() const { return stops_; }
    QBrush toQBrush() const override;

private:
    RadialGradientBrush(PointF c, PointF o, float rx, float ry, GradientStopsPtr stops)
        : center_(c), offset_(o), rx_(rx), ry_(ry), stops_(std::move(stops)) {}
    PointF center_, offset_;
    float rx_, ry_;
    GradientStopsPtr stops_;
};

/// Paints with a bitmap whose pixel (0,0) lies at the brush-space origin, one DIP per pixel at
/// 96 DPI. The bitmap repeats in both directions (wrap).
class BitmapBrush : public Brush {
public:
    /// nullptr when `bitmap` is null or cannot be drawn from.
    static std::shared_ptr<BitmapBrush> create(BitmapPtr bitmap);
    const BitmapPtr& bitmap() const { return bitmap_; }
    QBrush toQBrush() const override;

private:
    explicit BitmapBrush(BitmapPtr bitmap) : bitmap_(std::move(bitmap)) {}
    BitmapPtr bitmap_;
};

} // namespace platform::render
