#include "objects/URPropMultiSelect.h"

TRPropMultiSelect::TRPropMultiSelect() : TRPropBase(ptMultiSelect) {}
