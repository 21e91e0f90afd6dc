#include "core/URScenePaint.h"

#include "core/UREditorServices.h"

using namespace platform::render;

TRSceneContextFn SceneContextHook = nullptr;

DeviceContext* SceneContext() {
    return SceneContextHook ? SceneContextHook() : nullptr;
}

bool ScenePlaybackActive() {
    return EditorServices().Playing();
}

BrushPtr SolidBrush(const QColor& color, float opacity) {
    return SolidColorBrush::create(
        ColorF{float(color.redF()), float(color.greenF()), float(color.blueF()), 1.0f}, opacity);
}

RectF ToRectF(const QRectF& rect) {
    return RectF::fromQRectF(rect);
}
