#include "properties/URPropZoomSource.h"

TRPropZoomSource::TRPropZoomSource() : TRPropBase(ptZoomSource) {
    FUseCheckBox = false;
    FChecked = true;
}

void TRPropZoomSource::VisitFields(TRPropFields& fields) {
    fields.Float("Zoom", FZoom);
    fields.Float("CenterX", FCenterX);
    fields.Float("CenterY", FCenterY);
    fields.Float("Rotation", FRotation);
}
