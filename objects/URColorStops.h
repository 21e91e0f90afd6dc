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
    // stop's value. An element without children keeps the stops. A list read with a single
    // stop repeats it, so every brush and animation finds the two stops it works with.
    void OpenFromXML(const QDomElement& element);

    // Stops 0 and 1 between `from` and `to` at `pos` into this list: the colours of `from`,
    // positions and opacities interpolated. Further stops keep their values.
    void EaseFirstTwo(const TRColorStops& from, const TRColorStops& to, float pos);
    // Stops 0 and 1 of `source` into this list.
    void CopyFirstTwo(const TRColorStops& source);

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

// a + pos (b - a), worked out in double precision.
float EaseFloat(float a, float b, float pos);

// The brush of a group's stops for a box of width x height, spanning (0, 0)..(width, height),
// or centred on the origin with `translate`:
// - solid: the first stop's colour at alpha `opacity` (the stop's own opacity is not used);
// - linear: along the box's top edge from left to right, turned by -(rotation - 90) degrees
//   about the box centre, so rotation 0 runs from top to bottom over a length of `width`;
// - radial: about the box centre with radii width and height;
// - media library and erase background: no brush (nullptr).
// Gradients take n + 2 stops (the first and last repeated at 0 and 1) in list order, clamp
// outside and interpolate premultiplied colours, at brush opacity `opacity`.
platform::render::BrushPtr ColorStopsBrush(const TRColorStops& stops, TRBrushStyle style,
                                           float rotation, float opacity, float width, float height,
                                           bool translate);
// The colour of a stop as a QColor (TColor is 0x00BBGGRR).
QColor StopColor(const TRColor& stop);
