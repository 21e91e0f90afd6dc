// Push: slides its input across a frame of `Size` pixels, optionally clips the result to the
// frame (or half of it) and blurs it along the motion while it moves. It has no pixel program
// of its own: it runs a small graph of an offset, a directional blur and itself as a
// pass-through node that clips.
//
// Slide types ("Type" to the nearest whole number, halves to even; t = "Progress", W and H the
// two components of "Size"):
//   0 from the left (W (t - 1), 0)      1 from the right (W (1 - t), 0)
//   2 from the top (0, H (t - 1))       3 from the bottom (0, H (1 - t))
//   4..7 the same on half the distance, seen in the right, left, bottom and top halves
// Any other type keeps the previous offset and does not clip. The blur's standard deviation
// is (1 - t) x "BlurSize", at 90 degrees for types 2 and 3 and 0 degrees otherwise.
#pragma once

#include "graphics/URCustomEffect.h"
#include "platform/render/Effect.h"

#include <cstddef>

struct TCE_PUSH_Buffer {
    float WType;
    TD2D_VECTOR_2F Size;
    float Masked;
    float Blursize;
    float Progress;
};
static_assert(sizeof(TCE_PUSH_Buffer) == 24);
static_assert(offsetof(TCE_PUSH_Buffer, WType) == 0);
static_assert(offsetof(TCE_PUSH_Buffer, Size) == 4);
static_assert(offsetof(TCE_PUSH_Buffer, Masked) == 12);
static_assert(offsetof(TCE_PUSH_Buffer, Blursize) == 16);
static_assert(offsetof(TCE_PUSH_Buffer, Progress) == 20);

inline const QUuid CLSID_CEPush =
    QUuid(0xab94b475, 0xbc6e, 0x49fa, 0xa8, 0xb8, 0x87, 0x69, 0xe5, 0x0b, 0x32, 0x11);

class TRCEPush : public TRCustomEffectOf<TRCEPush, TCE_PUSH_Buffer> {
public:
    /// Builds the graph from effects of `factory` (the factory the class is registered on).
    explicit TRCEPush(platform::render::Factory& factory);
    static const TRCustomEffectInfo& Info();
    /// Registers the class on `factory`; Push has no pixel program, so `shaders` is not used.
    static void RegisterEffect(platform::render::Factory& factory,
                               std::shared_ptr<const TRShaderLibrary> shaders = {});

    /// Sets the offset and the blur from the current properties.
    void prepare(std::span<const platform::render::PropertyValue> values) override;
    /// The shifted, blurred input, clipped to the frame of the type when "Masked" is not 0.
    platform::render::RectL
    outputBounds(std::span<const platform::render::RectL> inputBounds) const override;
    void mapOutputToInputs(const platform::render::RectL& output,
                           std::span<platform::render::RectL> inputRects) const override;
    void render(std::span<const platform::render::ImageTile> inputs,
                platform::render::ImageTile& out) const override;

private:
    // The slide type, or -1 for a value outside 0..7.
    int slideType() const;

    platform::render::EffectPtr offset_transform;
    platform::render::EffectPtr blurr_effect;
    platform::render::PointL offset_;
    mutable platform::render::RectL inputBounds_;
};
