#include "properties/URPropVideoAction.h"

TRPropVideoAction::TRPropVideoAction() : TRPropBase(ptVideoAction) {
    FUseCheckBox = false;
    FChecked = true;
    FExpanded = true;
}

void TRPropVideoAction::VisitFields(TRPropFields& fields) {
    fields.Int("Action", FAction);
    fields.Text("URL", FURL);
    fields.Int("Window", FWindow);
    fields.Int("MarkerCode", FMarkerCode);
}
