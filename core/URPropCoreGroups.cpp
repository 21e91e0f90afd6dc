#include "core/URPropCoreGroups.h"

#include "core/URPropBlur.h"
#include "core/URPropChromaKey.h"
#include "core/URPropColorAdjust.h"
#include "core/URPropEffect.h"
#include "core/URPropFlipOpacity.h"
#include "core/URPropMediaSpeed.h"
#include "core/URPropProjectSize.h"
#include "core/URPropReflection.h"
#include "core/URPropShadow.h"
#include "core/URPropTransition.h"
#include "core/URPropZoomAndPan.h"

void RegisterCorePropertyGroups() {
    RegisterPropertyGroup(ptProjectSize, MakePropertyGroup<TRPropProjectSize>);
    RegisterPropertyGroup(ptShadow, MakePropertyGroup<TRPropShadow>);
    RegisterPropertyGroup(ptZoomAndPan, MakePropertyGroup<TRPropZoomAndPan>);
    RegisterPropertyGroup(ptColorAdjust, MakePropertyGroup<TRPropColorAdjust>);
    RegisterPropertyGroup(ptTrIn, MakePropertyGroup<TRPropTransitionIn>);
    RegisterPropertyGroup(ptTrOut, MakePropertyGroup<TRPropTransitionOut>);
    RegisterPropertyGroup(ptChromaKey, MakePropertyGroup<TRPropChromaKey>);
    RegisterPropertyGroup(ptEffect, MakePropertyGroup<TRPropEffect>);
    RegisterPropertyGroup(ptFlipOpacity, MakePropertyGroup<TRPropFlipOpacity>);
    RegisterPropertyGroup(ptTransitionObj, MakePropertyGroup<TRPropTransitionObj>);
    RegisterPropertyGroup(ptMediaSpeed, MakePropertyGroup<TRPropMediaSpeed>);
    RegisterPropertyGroup(ptReflection, MakePropertyGroup<TRPropReflection>);
    RegisterPropertyGroup(ptBlur, MakePropertyGroup<TRPropBlur>);
}
