#pragma once
// The part of the canvas that a zoom area shows: magnification, centre and rotation.

#include "core/URPropBase.h"

class TRPropZoomSource : public TRPropBase {
public:
    TRPropZoomSource();

    float FZoom = 2;
    float FCenterX = 0;
    float FCenterY = 0;
    float FRotation = 0;

    void VisitFields(TRPropFields& fields) override;
};
