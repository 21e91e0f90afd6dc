#include "objects/URPropCursor.h"

TRPropCursor::TRPropCursor() : TRPropBase(ptCursor, true, true, true) {}

void TRPropCursor::VisitFields(TRPropFields& fields) {
    fields.Float("ScaleCursor", FScaleCursor);
    fields.Bool("CEChecked", FCEChecked);
    fields.Bool("CEExpanded", FCEExpanded);
    fields.Int("CEId", FCEId);
    fields.Color("CEColor", FCEColor);
    fields.Float("CEOpacity", FCEOpacity);
    fields.Float("CESize", FCESize);
    fields.Float("CEZoom", FCEZoom);
    fields.Bool("LEChecked", FLEChecked);
    fields.Bool("LEExpanded", FLEExpanded);
    fields.Int("LEId", FLEId);
    fields.Color("LEColor", FLEColor);
    fields.Float("LEOpacity", FLEOpacity);
    fields.Float("LESize", FLESize);
    fields.Float("LEThickness", FLEThickness);
    fields.Float("LEDuration", FLEDuration);
    fields.Bool("LSChecked", FLSChecked);
    fields.Bool("LSExpanded", FLSExpanded);
    fields.Float("LSVolume", FLSVolume);
    fields.Bool("REChecked", FREChecked);
    fields.Bool("REExpanded", FREExpanded);
    fields.Int("REId", FREId);
    fields.Color("REColor", FREColor);
    fields.Float("REOpacity", FREOpacity);
    fields.Float("RESize", FRESize);
    fields.Float("REThickness", FREThickness);
    fields.Float("REDuration", FREDuration);
    fields.Bool("RSChecked", FRSChecked);
    fields.Bool("RSExpanded", FRSExpanded);
    fields.Float("RSVolume", FRSVolume);
}

platform::render::ImagePtr TRPropCursor::DrawCursorEffect(const platform::render::ImagePtr& input,
                                                          float, float, int, int) const {
    return input;
}

platform::render::ImagePtr
TRPropCursor::DrawLeftClickEffect(const platform::render::ImagePtr& input, float, float, int, int,
                                  int) const {
    return input;
}

platform::render::ImagePtr
TRPropCursor::DrawRightClickEffect(const platform::render::ImagePtr& input, float, float, int, int,
                                   int) const {
    return input;
}
