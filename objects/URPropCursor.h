#pragma once
// The pointer of a screen recording: its size, the cursor effect, and the effects and
// sounds of left and right clicks.

#include "core/URPropBase.h"

class TRPropCursor : public TRPropBase {
public:
    TRPropCursor();

    float FScaleCursor = 100;
    bool FCEChecked = false;
    bool FCEExpanded = false;
    std::int32_t FCEId = 0;
    TColor FCEColor = 0xA0FFFF;
    float FCEOpacity = 0.5f;
    float FCESize = 30;
    float FCEZoom = 2;
    bool FLEChecked = true;
    bool FLEExpanded = false;
    std::int32_t FLEId = 0;
    TColor FLEColor = 0xFF0000;
    float FLEOpacity = 1;
    float FLESize = 30;
    float FLEThickness = 2;
    float FLEDuration = 300;
    bool FLSChecked = false;
    bool FLSExpanded = false;
    float FLSVolume = 100;
    bool FREChecked = true;
    bool FREExpanded = false;
    std::int32_t FREId = 0;
    TColor FREColor = 0x0000FF;
    float FREOpacity = 1;
    float FRESize = 30;
    float FREThickness = 2;
    float FREDuration = 300;
    bool FRSChecked = false;
    bool FRSExpanded = false;
    float FRSVolume = 100;

    void VisitFields(TRPropFields& fields) override;
};
