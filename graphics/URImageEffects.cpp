#include "graphics/URImageEffects.h"

#include "graphics/UREffectGroup.h"
#include "platform/render/StandardEffects.h"

using namespace platform::render;

ImagePtr MirrorImage(EffectPtr& slot, const ImagePtr& input, bool flipH, bool flipV, float width,
                     float height) {
    if (!flipH && !flipV)
        return input;
    const EffectPtr& flip = SceneEffect(slot, effects::Transform3D);
    if (!flip || !input)
        return input;
    Matrix4x4 vertical;
    if (flipV) {
        vertical = Matrix4x4::rotationX(-180);
        vertical.m[3][1] = height;
    }
    Matrix4x4 horizontal;
    if (flipH) {
        horizontal = Matrix4x4::rotationY(-180);
        horizontal.m[3][0] = width;
    }
    flip->setInput(0, input);
    flip->setValue(effects::Transform3DMatrix, horizontal * vertical);
    flip->setValue(effects::Transform3DInterpolation, uint32_t(Interpolation::Cubic));
    return flip->output();
}

ImagePtr BlurImage(EffectPtr& slot, const ImagePtr& input, float deviation, bool softBorder) {
    const EffectPtr& blur = SceneEffect(slot, effects::GaussianBlur);
    if (!blur || !input)
        return input;
    blur->setInput(0, input);
    blur->setValue(effects::GaussianBlurBorderMode,
                   uint32_t(softBorder ? effects::BorderSoft : effects::BorderHard));
    blur->setValue(effects::GaussianBlurStandardDeviation, deviation);
    return blur->output();
}
