#pragma once
// The pointer of a screen recording: its size, the cursor effect, and the effects and
// sounds of left and right clicks.

#include "core/URPropBase.h"
#include "platform/render/Image.h"

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

    // The pointer highlight and the left and right click rings at a pointer position (media
    // pixels; `scaleX`, `scaleY` the media's fit) `time` ms after the click: with `input` the
    // picture distorted by them, without one they are drawn on the current target. Not drawn
    // yet: the picture comes back unchanged and nothing is drawn.
    platform::render::ImagePtr DrawCursorEffect(const platform::render::ImagePtr& input,
                                                float scaleX, float scaleY, int x, int y) const;
    platform::render::ImagePtr DrawLeftClickEffect(const platform::render::ImagePtr& input,
                                                   float scaleX, float scaleY, int x, int y,
                                                   int time) const;
    platform::render::ImagePtr DrawRightClickEffect(const platform::render::ImagePtr& input,
                                                    float scaleX, float scaleY, int x, int y,
                                                    int time) const;
};
