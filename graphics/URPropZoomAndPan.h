#pragma once
// Zoom and pan inside an object's media.
// This class holds the settings and their XML form; the effect chain that draws them belongs
// to the graphics engine.

#include "core/URPropBase.h"

class TRPropZoomAndPan : public TRPropBase {
public:
    TRPropZoomAndPan();

    float FZoom = 1;
    float FZoomLeft = 0;
    float FZoomTop = 0;

    void VisitFields(TRPropFields& fields) override;
};
