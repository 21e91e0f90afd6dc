#include "objects/URPropBackgroundFill.h"

TRPropBackgroundFill::TRPropBackgroundFill()
    : TRPropBrush(ptBackgroundFill, {{0xFFFFFF, 0, 1}, {0x0000FF, 1, 1}}) {
    FExpanded = true;
}
