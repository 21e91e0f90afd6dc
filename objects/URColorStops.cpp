#include "objects/URColorStops.h"

#include "core/URXmlValues.h"

#include <algorithm>

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
    if (FColors.size() == 1)
        FColors.push_back(running);
}

QColor StopColor(const TRColor& stop) {
    return QColor(int(stop.Color & 0xFF), int((stop.Color >> 8) & 0xFF),
                  int((stop.Color >> 16) & 0xFF));
}

void TRColorStops::EaseFirstTwo(const TRColorStops& from, const TRColorStops& to, float pos) {
    for (int i = 0; i < 2; ++i) {
        const TRColor a = from.GetColor(i), b = to.GetColor(i);
        SetColor(i, a.Color, EaseFloat(a.Position, b.Position, pos),
                 EaseFloat(a.Opacity, b.Opacity, pos));
    }
}

void TRColorStops::CopyFirstTwo(const TRColorStops& source) {
    for (int i = 0; i < 2; ++i) {
        const TRColor stop = source.GetColor(i);
        SetColor(i, stop.Color, stop.Position, stop.Opacity);
    }
}

float EaseFloat(float a, float b, float pos) {
    return static_cast<float>(double(a) + double(pos) * (double(b) - double(a)));
}

namespace {

using namespace platform::render;

ColorF StopColorF(const TRColor& stop, float alpha) {
    return {float(stop.Color & 0xFF) / 255, float((stop.Color >> 8) & 0xFF) / 255,
            float((stop.Color >> 16) & 0xFF) / 255, std::clamp(alpha, 0.0f, 1.0f)};
}

GradientStopsPtr GradientStops(const TRColorStops& stops) {
    const int n = stops.GetNrColors();
    std::vector<GradientStop> list;
    list.reserve(std::size_t(n) + 2);
    const TRColor first = stops.GetColor(0), last = stops.GetColor(n - 1);
    list.push_back({0, StopColorF(first, first.Opacity)});
    for (int i = 0; i < n; ++i) {
        const TRColor stop = stops.GetColor(i);
        list.push_back({stop.Position, StopColorF(stop, stop.Opacity)});
    }
    list.push_back({1, StopColorF(last, last.Opacity)});
    return GradientStopCollection::create(std::move(list), ExtendMode::Clamp);
}

} // namespace

BrushPtr ColorStopsBrush(const TRColorStops& stops, TRBrushStyle style, float rotation,
                         float opacity, float width, float height, bool translate) {
    const float tx = translate ? width / 2 : 0, ty = translate ? height / 2 : 0;
    const PointF centre{width / 2 - tx, height / 2 - ty};
    BrushPtr brush;
    switch (style) {
    case brsSolid:
        return SolidColorBrush::create(StopColorF(stops.GetColor(0), opacity));
    case brsGradientLinear:
        brush = LinearGradientBrush::create(PointF{-tx, -ty}, PointF{width - tx, -ty},
                                            GradientStops(stops));
        brush->setTransform(Matrix3x2::rotation(-(rotation - 90), centre));
        break;
    case brsGradientRadial:
        brush = RadialGradientBrush::create(centre, PointF{}, width, height, GradientStops(stops));
        break;
    case brsMediaLibrary:
    case brsEraseBackGround:
        return nullptr;
    }
    if (brush)
        brush->setOpacity(opacity);
    return brush;
}
