#include "graphics/URCEPush.h"

#include "platform/render/BuiltinEffects.h"
#include "platform/render/StandardEffects.h"
#include "platform/render/TileImage.h"

#include <cmath>

using namespace platform::render;

namespace {

const TRShaderLibrary kNoShaders;

// Halves to the even neighbour (the default rounding mode), limited to a sane pixel range;
// 0 for a value that is not a number.
int32_t roundEven(double v) {
    return std::isfinite(v) ? int32_t(std::clamp(std::nearbyint(v), -1e9, 1e9)) : 0;
}

} // namespace

TRCEPush::TRCEPush(Factory& factory)
    : TRCustomEffectOf(kNoShaders), offset_transform(factory.createEffect(effects::Offset)),
      blurr_effect(factory.createEffect(effects::DirectionalBlur)) {
    if (offset_transform && blurr_effect)
        blurr_effect->setInput(0, offset_transform->output());
}

const TRCustomEffectInfo& TRCEPush::Info() {
    static const TRCustomEffectInfo info{
        CLSID_CEPush,
        "Push",
        QUuid(),
        QString(),
        1,
        sizeof(TCE_PUSH_Buffer),
        {
            {"Type", "float", "", offsetof(TCE_PUSH_Buffer, WType), 0.0f},
            {"Size", "vector2", "", offsetof(TCE_PUSH_Buffer, Size), Vector2{0, 0}},
            {"Masked", "float", "", offsetof(TCE_PUSH_Buffer, Masked), 1.0f},
            {"BlurSize", "float", "", offsetof(TCE_PUSH_Buffer, Blursize), 0.0f},
            {"Progress", "float", "", offsetof(TCE_PUSH_Buffer, Progress), 0.0f},
        },
        // Type 0 halfway across a 2x2 frame: the right column moves to the left one.
        {{{1, Vector2{2, 2}}, {4, 0.5f}}, {0xff00ff00u, 0u, 0xffffffffu, 0u}}};
    return info;
}

void TRCEPush::RegisterEffect(Factory& factory, std::shared_ptr<const TRShaderLibrary>) {
    RegisterEffectFromString(factory, Info(), RegistrationText(Info()),
                             [&factory] { return std::make_unique<TRCEPush>(factory); });
}

int TRCEPush::slideType() const {
    const double k = std::nearbyint(double(Fbuffer.WType));
    return k >= 0 && k <= 7 ? int(k) : -1;
}

void TRCEPush::prepare(std::span<const PropertyValue> values) {
    TRCustomEffect::prepare(values);
    const int k = slideType();
    const double t = Fbuffer.Progress, w = Fbuffer.Size.x, h = Fbuffer.Size.y;
    const double half = k >= 4 ? 0.5 : 1.0;
    const double incoming = (t - 1) * half, outgoing = (1 - t) * half;
    switch (k) {
    case 0:
    case 4:
        offset_ = {roundEven(w * incoming), 0};
        break;
    case 1:
    case 5:
        offset_ = {roundEven(w * outgoing), 0};
        break;
    case 2:
    case 6:
        offset_ = {0, roundEven(h * incoming)};
        break;
    case 3:
    case 7:
        offset_ = {0, roundEven(h * outgoing)};
        break;
    default:
        break; // the previous offset stays
    }
    if (!offset_transform || !blurr_effect)
        return;
    offset_transform->setValue(effects::OffsetAmount, Vector2{float(offset_.x), float(offset_.y)});
    blurr_effect->setValue(effects::DirectionalBlurStandardDeviation,
                           float((1 - t) * Fbuffer.Blursize));
    blurr_effect->setValue(effects::DirectionalBlurAngle, k == 2 || k == 3 ? 90.0f : 0.0f);
}

RectL TRCEPush::outputBounds(std::span<const RectL> inputBounds) const {
    inputBounds_ = inputBounds[0];
    if (!blurr_effect)
        return {};
    offset_transform->setInput(0, TileImage::create({}, inputBounds_));
    const RectL moved = blurr_effect->bounds();
    offset_transform->setInput(0, nullptr);
    const int k = slideType();
    if (Fbuffer.Masked == 0 || k < 0)
        return moved;
    const int32_t w = roundEven(Fbuffer.Size.x), h = roundEven(Fbuffer.Size.y);
    const int32_t halfW = roundEven(Fbuffer.Size.x / 2.0), halfH = roundEven(Fbuffer.Size.y / 2.0);
    switch (k) {
    case 4:
        return {halfW, 0, w, h};
    case 5:
        return {0, 0, halfW, h};
    case 6:
        return {0, halfH, w, h};
    case 7:
        return {0, 0, w, halfH};
    default:
        return {0, 0, w, h};
    }
}

void TRCEPush::mapOutputToInputs(const RectL& output, std::span<RectL> inputRects) const {
    // The blur reads about three deviations along its axis; a few pixels more cover the
    // approximation's reach.
    const float sigma =
        blurr_effect ? blurr_effect->valueAs<float>(effects::DirectionalBlurStandardDeviation) : 0;
    const auto reach = int32_t(std::ceil(3 * std::clamp(sigma, 0.0f, 250.0f))) + 4;
    const bool vertical =
        blurr_effect && blurr_effect->valueAs<float>(effects::DirectionalBlurAngle) == 90;
    const RectL grown{output.left - (vertical ? 0 : reach), output.top - (vertical ? reach : 0),
                      output.right + (vertical ? 0 : reach),
                      output.bottom + (vertical ? reach : 0)};
    inputRects[0] = grown.translated(-offset_.x, -offset_.y).intersected(inputBounds_);
}

void TRCEPush::render(std::span<const ImageTile> inputs, ImageTile& out) const {
    out.pixels.fill(Qt::transparent);
    if (!blurr_effect)
        return;
    offset_transform->setInput(0, TileImage::create(inputs[0], inputBounds_));
    copyTileArea(blurr_effect->render(out.region), out);
    offset_transform->setInput(0, nullptr);
}
