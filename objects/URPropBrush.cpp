#include "objects/URPropBrush.h"

TRPropBrush::TRPropBrush(TRPropertyType type, TRColorStops stops)
    : TRPropBase(type), FColors(std::move(stops)) {}

void VisitBrushFields(TRPropFields& fields, TRBrushStyle& style, float& rotation, float& opacity) {
    fields.Enum("Style", style, brsEraseBackGround);
    fields.Float("Rotation", rotation);
    fields.Float("Opacity", opacity);
}

void TRPropBrush::VisitFields(TRPropFields& fields) {
    VisitBrushFields(fields, FBrushStyle, FRotation, FOpacity);
}

QDomElement TRPropBrush::SaveToXML(QDomNode parent) const {
    QDomElement element = TRPropBase::SaveToXML(parent);
    FColors.SaveToXML(element);
    return element;
}

void TRPropBrush::OpenFromXML(const QDomElement& element, bool paste) {
    TRPropBase::OpenFromXML(element, paste);
    FColors.OpenFromXML(element);
}
