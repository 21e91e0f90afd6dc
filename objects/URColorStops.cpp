#include "objects/URColorStops.h"

#include "core/URXmlValues.h"

#include <QtMath>
#include <cmath>

void TRColorStops::AddColor(TColor color, float position, float opacity) {
    FColors.push_back({color, position, opacity});
}

TRColor TRColorStops::GetColor(int index) const {
    return index >= 0 && index < GetNrColors() ? FColors[index] : TRColor{};
}

void TRColorStops::SetColor(int index, TColor color, float position, float opacity) {
    if (index >= 0 && index < GetNrColors())
        FColors[index] = {color, position, opacity};
}

void TRColorStops::SaveToXML(QDomElement& element) const {
    for (const TRColor& stop : FColors) {
        QDomElement child = XmlAppendChild(element, QStringLiteral("Color"));
        XmlSetInt(child, QStringLiteral("Color"), static_cast<std::int32_t>(stop.Color));
        XmlSetFloat(child, QStringLiteral("Position"), stop.Position);
        XmlSetFloat(child, QStringLiteral("Opacity"), stop.Opacity);
    }
}

void TRColorStops::OpenFromXML(const QDomElement& element) {
    if (element.firstChildElement().isNull())
        return;
    FColors.clear();
    TRColor running{0, 0, 1};
    for (QDomElement child = element.firstChildElement(); !child.isNull();
         child = child.nextSiblingElement()) {
        std::int32_t color = static_cast<std::int32_t>(running.Color);
        if (XmlReadInt(child, QStringLiteral("Color"), color))
            running.Color = static_cast<TColor>(color);
        XmlReadFloat(child, QStringLiteral("Position"), running.Position);
        XmlReadFloat(child, QStringLiteral("Opacity"), running.Opacity);
        FColors.push_back(running);
    }
}

QColor StopColor(const TRColor& stop) {
    return QColor(int(stop.Color & 0xFF), int((stop.Color >> 8) & 0xFF),
                  int((stop.Color >> 16) & 0xFF));
}

namespace {

using namespace platform::render;

GradientStopsPtr GradientStops(const TRColorStops& stops) {
    std::vector<GradientStop> list;
    for (int i = 0; i < stops.GetNrColors(); ++i) {
        const TRColor stop = stops.GetColor(i);
        const QColor c = StopColor(stop);
        list.push_back({stop.Position, ColorF{float(c.redF()), float(c.greenF()), float(c.blueF()),
                                              stop.Opacity}});
    }
    return GradientStopCollection::create(std::move(list));
}

BrushPtr LinearBrush(const TRColorStops& stops, float rotation, float width, float height) {
    const double angle = qDegreesToRadians(double(rotation));
    const double dx = std::cos(angle), dy = std::sin(angle);
    const double half = (std::abs(width * dx) + std::abs(height * dy)) / 2;
    const PointF centre{width / 2, height / 2};
    return LinearGradientBrush::create(
        PointF{float(centre.x - dx * half), float(centre.y - dy * half)},
        PointF{float(centre.x + dx * half), float(centre.y + dy * half)}, GradientStops(stops));
}

} // namespace

BrushPtr StopsBrush(const TRColorStops& stops, TRBrushStyle style, float rotation, float opacity,
                    float width, float height, bool translate) {
    BrushPtr brush;
    if (style == brsGradientLinear && stops.GetNrColors() > 1) {
        brush = LinearBrush(stops, rotation, width, height);
    } else if (style == brsGradientRadial && stops.GetNrColors() > 1) {
        brush = RadialGradientBrush::create(PointF{width / 2, height / 2}, PointF{}, width / 2,
                                            height / 2, GradientStops(stops));
    } else {
        const TRColor first = stops.GetColor(0);
        const QColor c = StopColor(first);
        brush = SolidColorBrush::create(
            ColorF{float(c.redF()), float(c.greenF()), float(c.blueF()), first.Opacity});
    }
    brush->setOpacity(opacity);
    if (translate)
        brush->setTransform(Matrix3x2::translation(-width / 2, -height / 2));
    return brush;
}
