#include "platform/render/StrokeStyle.h"

#include "platform/render/Geometry.h"

#include <QPainterPathStroker>
#include <algorithm>
#include <numeric>

namespace platform::render {

namespace {

Qt::PenCapStyle qCap(CapStyle cap) {
    switch (cap) {
    case CapStyle::Square:
        return Qt::SquareCap;
    case CapStyle::Round:
    case CapStyle::Triangle:
        return Qt::RoundCap;
    case CapStyle::Flat:
        break;
    }
    return Qt::FlatCap;
}

Qt::PenJoinStyle qJoin(LineJoin join) {
    switch (join) {
    case LineJoin::Bevel:
        return Qt::BevelJoin;
    case LineJoin::Round:
        return Qt::RoundJoin;
    case LineJoin::MiterOrBevel:
        return Qt::SvgMiterJoin;
    case LineJoin::Miter:
        break;
    }
    return Qt::MiterJoin;
}

// The fixed patterns, in stroke widths, as flat-capped dash/gap lengths.
QList<qreal> presetPattern(DashStyle style) {
    switch (style) {
    case DashStyle::Dash:
        return {2, 2};
    case DashStyle::Dot:
        return {0, 2};
    case DashStyle::DashDot:
        return {2, 2, 0, 2};
    case DashStyle::DashDotDot:
        return {2, 2, 0, 2, 0, 2};
    default:
        return {};
    }
}

// Qt skips zero-length dashes, which with square or round caps are dots: make them tiny.
QList<qreal> drawablePattern(QList<qreal> pattern) {
    for (qsizetype i = 0; i < pattern.size(); i += 2)
        if (pattern[i] <= 0)
            pattern[i] = 1e-3;
    return pattern;
}

// The shape a cap adds beyond `end` of a stroke of `width` leaving in `direction`.
QPainterPath capShape(CapStyle cap, QPointF end, QPointF direction, double width) {
    const QPointF along = direction * (width / 2);
    const QPointF across(-along.y(), along.x());
    QPainterPath shape;
    switch (cap) {
    case CapStyle::Square:
        shape.addPolygon(
            QPolygonF{end + across, end + across + along, end - across + along, end - across});
        break;
    case CapStyle::Triangle:
        shape.addPolygon(QPolygonF{end + across, end + along, end - across});
        break;
    case CapStyle::Round:
        shape.addEllipse(end, width / 2, width / 2);
        break;
    case CapStyle::Flat:
        return shape;
    }
    shape.closeSubpath();
    return shape;
}

} // namespace

std::shared_ptr<StrokeStyle> StrokeStyle::create(const StrokeStyleProperties& props,
                                                 std::vector<float> dashes) {
    if (props.dashStyle == DashStyle::Custom) {
        const bool negative =
            std::any_of(dashes.begin(), dashes.end(), [](float d) { return d < 0; });
        if (dashes.empty() || negative || std::accumulate(dashes.begin(), dashes.end(), 0.0f) <= 0)
            return nullptr;
        if (dashes.size() % 2)
            dashes.insert(dashes.end(), dashes.begin(), dashes.end());
    } else {
        dashes.clear();
    }
    return std::shared_ptr<StrokeStyle>(new StrokeStyle(props, std::move(dashes)));
}

QList<qreal> StrokeStyle::pattern() const {
    return props_.dashStyle == DashStyle::Custom ? QList<qreal>(dashes_.begin(), dashes_.end())
                                                 : presetPattern(props_.dashStyle);
}

QPen StrokeStyle::toQPen(const QBrush& brush, float width, float deviceScale) const {
    QPen pen = defaultPen(brush, width);
    pen.setJoinStyle(qJoin(props_.lineJoin));
    pen.setMiterLimit(props_.miterLimit);
    QList<qreal> dashes = pattern();
    const Qt::PenCapStyle cap = qCap(dashes.isEmpty() ? props_.startCap : props_.dashCap);
    pen.setCapStyle(cap);
    // Qt measures the dashes of a cosmetic pen up to one pixel wide in pixels, not in widths.
    const float fixedWidth = width * deviceScale;
    const float unit = props_.transformType == StrokeTransformType::Fixed && fixedWidth < 1
                           ? std::max(fixedWidth, 1e-3f)
                           : 1.0f;
    if (!dashes.isEmpty()) {
        for (qreal& d : dashes)
            d *= unit;
        pen.setDashPattern(drawablePattern(dashes));
        pen.setDashOffset(props_.dashOffset * unit);
    }
    switch (props_.transformType) {
    case StrokeTransformType::Fixed:
        pen.setCosmetic(true);
        pen.setWidthF(fixedWidth);
        break;
    case StrokeTransformType::Hairline:
        pen.setCosmetic(true);
        pen.setWidthF(1);
        break;
    case StrokeTransformType::Normal:
        break;
    }
    return pen;
}

bool StrokeStyle::needsOutline(float deviceWidth) const {
    if (props_.transformType != StrokeTransformType::Normal)
        return false;
    if (props_.dashStyle != DashStyle::Solid)
        return deviceWidth <= 1;
    return props_.startCap != props_.endCap || props_.startCap == CapStyle::Triangle;
}

QPainterPath StrokeStyle::outline(const QPainterPath& path, float width) const {
    QPainterPathStroker stroker;
    stroker.setWidth(width);
    stroker.setJoinStyle(qJoin(props_.lineJoin));
    stroker.setMiterLimit(props_.miterLimit);
    const QList<qreal> dashes = pattern();
    if (!dashes.isEmpty()) {
        stroker.setCapStyle(qCap(props_.dashCap));
        stroker.setDashPattern(drawablePattern(dashes));
        stroker.setDashOffset(props_.dashOffset);
        QPainterPath area = stroker.createStroke(path);
        area.setFillRule(Qt::WindingFill);
        return area;
    }
    stroker.setCapStyle(Qt::FlatCap);
    QPainterPath area = stroker.createStroke(path);
    QPainterPath caps;
    for (const FigureEnds& f : openFigureEnds(path)) {
        caps.addPath(capShape(props_.startCap, f.start, -f.startDirection, width));
        caps.addPath(capShape(props_.endCap, f.end, f.endDirection, width));
    }
    if (!caps.isEmpty())
        area = area.united(caps);
    area.setFillRule(Qt::WindingFill);
    return area;
}

QPen defaultPen(const QBrush& brush, float width) {
    QPen pen(brush, width, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin);
    pen.setMiterLimit(10);
    return pen;
}

} // namespace platform::render
