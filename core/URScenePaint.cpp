#include "core/URScenePaint.h"

using namespace platform::render;

TRSceneContextFn SceneContextHook = nullptr;
TRScenePlaybackFn ScenePlaybackHook = nullptr;

DeviceContext* SceneContext() {
    return SceneContextHook ? SceneContextHook() : nullptr;
}

bool ScenePlaybackActive() {
    return ScenePlaybackHook && ScenePlaybackHook();
}

BrushPtr SolidBrush(const QColor& color, float opacity) {
    return SolidColorBrush::create(
        ColorF{float(color.redF()), float(color.greenF()), float(color.blueF()), 1.0f}, opacity);
}

RectF ToRectF(const QRectF& rect) {
    return RectF::fromQRectF(rect);
}
