#include "properties/URPropShapeBrush.h"

#include "objects/URPropBrush.h"

TRPropShapeBrush::TRPropShapeBrush(TRPropertyType type) : TRPropShape(type) {}

void TRPropShapeBrush::VisitFields(TRPropFields& fields) {
    TRPropShape::VisitFields(fields);
    VisitBrushFields(fields, FBrushStyle, FRotation, FOpacity);
    fields.Float("Thickness", FThickness);
}

QDomElement TRPropShapeBrush::SaveToXML(QDomNode parent) const {
    QDomElement element = TRPropShape::SaveToXML(parent);
    FColors.SaveToXML(element);
    return element;
}

void TRPropShapeBrush::OpenFromXML(const QDomElement& element, bool paste) {
    TRPropShape::OpenFromXML(element, paste);
    FColors.OpenFromXML(element);
}
