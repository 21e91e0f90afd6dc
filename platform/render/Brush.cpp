#include "platform/render/Brush.h"

#include <QLinearGradient>
#include <QRadialGradient>
#include <algorithm>

namespace platform::render {

namespace {

QGradient::Spread spreadOf(ExtendMode mode) {
    switch (mode) {
    case ExtendMode::Wrap:
        return QGradient::RepeatSpread;
    case ExtendMode::Mirror:
        return QGradient::ReflectSpread;
    case ExtendMode::Clamp:
        break;
    }
    return QGradient::PadSpread;
}

void applyStops(QGradient& gradient, const GradientStopsPtr& stops) {
    if (!stops)
        return;
    gradient.setSpread(spreadOf(stops->extendMode()));
    QGradientStops out;
    for (const GradientStop& s : stops->stops())
        out.append({std::clamp<double>(s.position, 0, 1), toQColor(s.color)});
    gradient.setStops(out);
}

QBrush withTransform(QBrush brush, const Matrix3x2& m) {
    brush.setTransform(m.toQTransform());
    return brush;
}

} // namespace

QColor toQColor(const ColorF& c) {
    auto unit = [](float v) { return std::clamp(v, 0.0f, 1.0f); };
    return QColor::fromRgbF(unit(c.r), unit(c.g), unit(c.b), unit(c.a));
}

GradientStopCollection::GradientStopCollection(std::vector<GradientStop> stops, ExtendMode extend)
    : stops_(std::move(stops)), extend_(extend) {
    std::stable_sort(
        stops_.begin(), stops_.end(),
        [](const GradientStop& a, const GradientStop& b) { return a.position < b.position; });
}

std::shared_ptr<GradientStopCollection>
GradientStopCollection::create(std::vector<GradientStop> stops, ExtendMode extend) {
    return std::shared_ptr<GradientStopCollection>(
        new GradientStopCollection(std::move(stops), extend));
}

Brush::~Brush() = default;

void Brush::setOpacity(float opacity) {
    opacity_ = std::clamp(opacity, 0.0f, 1.0f);
}

std::shared_ptr<SolidColorBrush> SolidColorBrush::create(const ColorF& color, float opacity) {
    std::shared_ptr<SolidColorBrush> brush(new SolidColorBrush(color));
    brush->setOpacity(opacity);
    return brush;
}

QBrush SolidColorBrush::toQBrush() const {
    return QBrush(toQColor(color_));
}

std::shared_ptr<LinearGradientBrush> LinearGradientBrush::create(PointF s, PointF e,
                                                                 GradientStopsPtr stops) {
    return std::shared_ptr<LinearGradientBrush>(new LinearGradientBrush(s, e, std::move(stops)));
}

QBrush LinearGradientBrush::toQBrush() const {
    QLinearGradient g(start_.x, start_.y, end_.x, end_.y);
    applyStops(g, stops_);
    return withTransform(QBrush(g), transform());
}

std::shared_ptr<RadialGradientBrush> RadialGradientBrush::create(PointF c, PointF o, float rx,
                                                                 float ry, GradientStopsPtr stops) {
    return std::shared_ptr<RadialGradientBrush>(
        new RadialGradientBrush(c, o, rx, ry, std::move(stops)));
}

void RadialGradientBrush::setRadius(float rx, float ry) {
    rx_ = rx;
    ry_ = ry;
}

QBrush RadialGradientBrush::toQBrush() const {
    // Qt's radial gradients are circular: draw a circle of radius rx about the origin and
    // stretch it vertically to ry in the brush transform.
    const float rx = std::max(rx_, 1e-6f);
    QRadialGradient g(QPointF(0, 0), rx, QPointF(offset_.x, offset_.y * rx / std::max(ry_, 1e-6f)));
    applyStops(g, stops_);
    const Matrix3x2 shape = Matrix3x2::scale(1, std::max(ry_, 1e-6f) / rx) *
                            Matrix3x2::translation(center_.x, center_.y);
    return withTransform(QBrush(g), shape * transform());
}

std::shared_ptr<BitmapBrush> BitmapBrush::create(BitmapPtr bitmap) {
    if (!bitmap || !bitmap->canDraw())
        return nullptr;
    return std::shared_ptr<BitmapBrush>(new BitmapBrush(std::move(bitmap)));
}

QBrush BitmapBrush::toQBrush() const {
    QImage texture = bitmap_->image();
    const Matrix3x2 dips = Matrix3x2::scale(96.0f / bitmap_->dpiX(), 96.0f / bitmap_->dpiY());
    return withTransform(QBrush(texture), dips * transform());
}

} // namespace platform::render
