#pragma once
// The progress bar a project draws along an edge of its frame.

#include "properties/URPropShapeBrush.h"

class TRPropProgressBar : public TRPropShapeBrush {
public:
    TRPropProgressBar();
};
