#include "graphics/URPropFlipOpacity.h"

#include "graphics/URCEOpacity.h"
#include "graphics/UREffectGroup.h"
#include "graphics/URImageEffects.h"

using namespace platform::render;

TRPropFlipOpacity::TRPropFlipOpacity() : TRPropBase(ptFlipOpacity, false, true, true) {}

void TRPropFlipOpacity::VisitFields(TRPropFields& fields) {
    fields.Bool("FlipH", FFlipH);
    fields.Bool("FlipV", FFlipV);
    fields.Float("Opacity", FOpacity);
    fields.Bool("Scale", FScale);
}

void TRPropFlipOpacity::EaseTo(float pos, const TRPropBase* to, TRPropBase* destination) const {
    const auto* next = dynamic_cast<const TRPropFlipOpacity*>(to);
    auto* result = dynamic_cast<TRPropFlipOpacity*>(destination);
    if (!next || !result)
        return;
    // Flips switch at the next keyframe.
    result->FFlipH = FFlipH;
    result->FFlipV = FFlipV;
    result->FOpacity = Lerp(FOpacity, next->FOpacity, pos);
    result->ScaleProcAnimation = 0;
    result->FScale = FScale || next->FScale;
    if (FScale && !next->FScale)
        result->ScaleProcAnimation = pos;
    else if (!FScale && next->FScale)
        // Negative from the very start, so the start of the change still counts as one.
        result->ScaleProcAnimation = pos == 0 ? -0.01f : -pos;
}

ImagePtr TRPropFlipOpacity::DrawFlip(const ImagePtr& input, float width, float height) const {
    return MirrorImage(FFlipEffect, input, FFlipH, FFlipV, width, height);
}

ImagePtr TRPropFlipOpacity::DrawOpacity(const ImagePtr& input) const {
    if (FOpacity == 1)
        return input;
    const EffectPtr& opacity = SceneEffect(FOpacityEffect, CLSID_CEOpacity);
    if (!opacity || !input)
        return input;
    opacity->setInput(0, input);
    opacity->setValue(0, FOpacity);
    return opacity->output();
}
