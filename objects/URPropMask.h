#pragma once
// The outline that clips a picture object: a shape group of its own type.

#include "objects/URPropShape.h"

class TRPropMask : public TRPropShape {
public:
    TRPropMask();
};
