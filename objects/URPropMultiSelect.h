#pragma once
// The group behind the multi-selection editor; it holds no values of its own.

#include "core/URPropBase.h"

class TRPropMultiSelect : public TRPropBase {
public:
    TRPropMultiSelect();
};
