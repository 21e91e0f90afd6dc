#pragma once
// The blur of a video-effect region.
// This class holds the settings and their XML form; the effect chain that draws them belongs
// to the graphics engine.

#include "core/URPropBase.h"

class TRPropBlur : public TRPropBase {
public:
    TRPropBlur();

    float FSize = 10;
    bool FBorder = true;

    void VisitFields(TRPropFields& fields) override;
};
