#include "graphics/UREffectGroup.h"

#include "core/URScenePaint.h"
#include "platform/render/DeviceContext.h"

TREaseCase EaseCaseOf(const TRPropBase& own, const TRPropBase& to) {
    if (own.Checked())
        return to.Checked() ? TREaseCase::Both : TREaseCase::FadeOut;
    return to.Checked() ? TREaseCase::FadeIn : TREaseCase::Neither;
}

const platform::render::EffectPtr& SceneEffect(platform::render::EffectPtr& slot,
                                               const QUuid& classId) {
    if (!slot)
        if (platform::render::DeviceContext* dc = SceneContext())
            slot = dc->createEffect(classId);
    return slot;
}

platform::render::Vector3 ColorComponents(TColor color) {
    return {float(color & 0xFF) / 255, float((color >> 8) & 0xFF) / 255,
            float((color >> 16) & 0xFF) / 255};
}
