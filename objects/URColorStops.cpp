#include "objects/URColorStops.h"

#include "core/URXmlValues.h"

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
