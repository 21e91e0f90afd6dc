#include "objects/URPropZoomSource.h"

TRPropZoomSource::TRPropZoomSource() : TRPropBase(ptZoomSource, false, true, false) {}

void TRPropZoomSource::VisitFields(TRPropFields& fields) {
    fields.Float("Zoom", FZoom);
    fields.Float("CenterX", FCenterX);
    fields.Float("CenterY", FCenterY);
    fields.Float("Rotation", FRotation);
}
