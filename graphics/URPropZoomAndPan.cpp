#include "graphics/URPropZoomAndPan.h"

TRPropZoomAndPan::TRPropZoomAndPan() : TRPropBase(ptZoomAndPan) {}

void TRPropZoomAndPan::VisitFields(TRPropFields& fields) {
    fields.Float("Zoom", FZoom);
    fields.Float("ZoomLeft", FZoomLeft);
    fields.Float("ZoomTop", FZoomTop);
}
