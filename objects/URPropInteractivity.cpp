#include "objects/URPropInteractivity.h"

TRPropInteractivity::TRPropInteractivity() : TRPropBase(ptInteractivity) {}

void TRPropInteractivity::VisitFields(TRPropFields& fields) {
    fields.Int("HandCursor", FHandCursor);
    fields.Int("Event", FEvent);
    fields.Int("Action", FAction);
    fields.Text("URL", FURL);
    fields.Int("Window", FWindow);
    fields.Int("MarkerCode", FMarkerCode);
}
