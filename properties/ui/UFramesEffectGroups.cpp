#include "properties/ui/UFramesEffectGroups.h"

#include "properties/ui/UFramePropBlur.h"
#include "properties/ui/UFramePropChromaKey.h"
#include "properties/ui/UFramePropColorAdjust.h"
#include "properties/ui/UFramePropEffect.h"
#include "properties/ui/UFramePropFlipOpacity.h"
#include "properties/ui/UFramePropReflection.h"
#include "properties/ui/UFramePropShadow.h"
#include "properties/ui/UFramePropTransition.h"
#include "properties/ui/UFramePropZoomAndPan.h"

namespace {

template <class F> TFramePropBase* MakeFrame(QWidget* parent) {
    return new F(parent);
}

} // namespace

void RegisterEffectGroupFrames() {
    RegisterPropertyFrame(ptEffect, MakeFrame<TFramePropEffect>);
    RegisterPropertyFrame(ptReflection, MakeFrame<TFramePropReflection>);
    RegisterPropertyFrame(ptFlipOpacity, MakeFrame<TFramePropFlipOpacity>);
    RegisterPropertyFrame(ptShadow, MakeFrame<TFramePropShadow>);
    RegisterPropertyFrame(ptZoomAndPan, MakeFrame<TFramePropZoomAndPan>);
    RegisterPropertyFrame(ptColorAdjust, MakeFrame<TFramePropColorAdjust>);
    RegisterPropertyFrame(ptChromaKey, MakeFrame<TFramePropChromaKey>);
    RegisterPropertyFrame(ptBlur, MakeFrame<TFramePropBlur>);
    RegisterPropertyFrame(ptTrIn, MakeFrame<TFramePropTransition>);
    RegisterPropertyFrame(ptTrOut, [](QWidget* parent) -> TFramePropBase* {
        auto* frame = new TFramePropTransition(parent);
        frame->SetSide(ptTrOut, otImage);
        return frame;
    });
    RegisterPropertyFrame(ptTransitionObj, [](QWidget* parent) -> TFramePropBase* {
        auto* frame = new TFramePropTransition(parent);
        frame->SetSide(ptTransitionObj, otTransition);
        return frame;
    });
}
