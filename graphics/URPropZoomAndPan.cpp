#include "graphics/URPropZoomAndPan.h"

#include "graphics/UREffectGroup.h"
#include "platform/render/BuiltinEffects.h"
#include "platform/render/StandardEffects.h"

#include <cmath>

using namespace platform::render;

TRPropZoomAndPan::TRPropZoomAndPan() : TRPropBase(ptZoomAndPan) {}

void TRPropZoomAndPan::VisitFields(TRPropFields& fields) {
    fields.Float("Zoom", FZoom);
    fields.Float("ZoomLeft", FZoomLeft);
    fields.Float("ZoomTop", FZoomTop);
}

void TRPropZoomAndPan::EaseTo(float pos, const TRPropBase* to, TRPropBase* destination) const {
    const auto* next = dynamic_cast<const TRPropZoomAndPan*>(to);
    auto* result = dynamic_cast<TRPropZoomAndPan*>(destination);
    if (!next || !result)
        return;
    const TREaseCase ease = EaseCaseOf(*this, *next);
    if (ease == TREaseCase::Neither)
        return;
    result->FZoom = EaseToward(ease, FZoom, next->FZoom, pos, 1);
    result->FZoomLeft = EaseBlend(ease, FZoomLeft, next->FZoomLeft, pos);
    result->FZoomTop = EaseBlend(ease, FZoomTop, next->FZoomTop, pos);
}

ImagePtr TRPropZoomAndPan::Draw(const ImagePtr& input, float width, float height, float bitmapWidth,
                                float bitmapHeight, TRZoomAndPanPlace& place) const {
    place = {};
    const EffectPtr& scale = SceneEffect(FScaleEffect, effects::Scale);
    if (!scale || !input)
        return input;
    ImagePtr result = input;
    if (FZoom != 1) {
        place.cx = width / 2 + bitmapWidth / 2 * FZoomLeft;
        place.cy = height / 2 + bitmapHeight / 2 * FZoomTop;
        scale->setInput(0, result);
        scale->setValue(effects::ScaleAmount, Vector2{FZoom, FZoom});
        scale->setValue(effects::ScaleCenterPoint, Vector2{place.cx, place.cy});
        scale->setValue(effects::ScaleInterpolation, uint32_t(Interpolation::Cubic));
        result = scale->output();
    }
    const EffectPtr& move = SceneEffect(FAffineTransform, effects::AffineTransform2D);
    if (move && (width != bitmapWidth || height != bitmapHeight)) {
        place.dx = std::trunc((width - bitmapWidth) / 2 * FZoomLeft);
        place.dy = std::trunc((height - bitmapHeight) / 2 * FZoomTop);
        move->setInput(0, result);
        move->setValue(effects::AffineMatrix, Matrix3x2::translation(place.dx, place.dy));
        result = move->output();
    }
    return result;
}
