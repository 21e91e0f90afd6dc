#include "objects/URPropMask.h"

TRPropMask::TRPropMask() : TRPropShape(ptMask) {
    FRoundness = 0;
}
