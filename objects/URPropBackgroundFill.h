#pragma once
// The background fill of a shape, text box, picture or the project frame.

#include "objects/URPropBrush.h"

class TRPropBackgroundFill : public TRPropBrush {
public:
    TRPropBackgroundFill();
};
