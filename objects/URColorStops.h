#pragma once
// The colour stops of a fill, text, border, sketch or progress-bar brush, and their "Color"
// child elements.

#include "core/URPropBase.h"
#include "platform/render/Brush.h"

#include <vector>

struct TRColor {
    TColor Color = 0;
    float Position = 0;
    float Opacity = 0;
};

class TRColorStops {
public:
    TRColorStops() = default;
    TRColorStops(std::initializer_list<TRColor> stops) : FColors(stops) {}

    void BeginAddColors() { FColors.clear(); }
    void AddColor(TColor color, float position, float opacity);
    void EndAddColors() {}
    // A zeroed stop for an index out of range.
    TRColor GetColor(int index) const;
    // Ignored for an index out of range.
    void SetColor(int index, TColor color, float position, float opacity);
    int GetNrColors() const { return static_cast<int>(FColors.size()); }

    // One "Color" child per stop, in list order.
    void SaveToXML(QDomElement& element) const;
    // Every child of the element gives a stop; an attribute it lacks repeats the previous
    // stop's value. An element without children keeps the stops.
    void OpenFromXML(const QDomElement& element);

private:
    std::vector<TRColor> FColors;
};

// A group that writes its colour stops as "Color" children after its own attributes and reads
// them back by the stop rule.
template <class Group> class TRPropWithStops : public Group {
public:
    using Group::Group;

    QDomElement SaveToXML(QDomNode parent) const override {
        QDomElement element = Group::SaveToXML(parent);
        FColors.SaveToXML(element);
        return element;
    }
    void OpenFromXML(const QDomElement& element, bool paste) override {
        Group::OpenFromXML(element, paste);
        FColors.OpenFromXML(element);
    }

    TRColorStops FColors;
};

// The brush of a group's stops for an area of width x height: solid (first stop), linear
// gradient across the area at `rotation` degrees, or radial gradient filling it; with
// `translate` it covers the area centred on the origin. The group's opacity is the brush's.
// Media-library bitmaps are not available here yet: they paint with the first stop's colour.
platform::render::BrushPtr StopsBrush(const TRColorStops& stops, TRBrushStyle style, float rotation,
                                      float opacity, float width, float height, bool translate);
// The colour of a stop as a QColor (TColor is 0x00BBGGRR).
QColor StopColor(const TRColor& stop);
