#include "properties/URPropMultiSelect.h"

TRPropMultiSelect::TRPropMultiSelect() : TRPropBase(ptMultiSelect) {}
