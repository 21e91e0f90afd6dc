#include "objects/URPropVideoAction.h"

TRPropVideoAction::TRPropVideoAction() : TRPropBase(ptVideoAction, false, true, true) {}

void TRPropVideoAction::VisitFields(TRPropFields& fields) {
    fields.Int("Action", FAction);
    fields.Text("URL", FURL);
    fields.Int("Window", FWindow);
    fields.Int("MarkerCode", FMarkerCode);
}
