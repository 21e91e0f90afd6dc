// Ripple: a circular wave about (`CenterX`, `CenterY`) in pixels. At distance r the normalised
// distance is u = r / (2 x `DPI`); the wave sin(`Frequency` x u + `Phase`), damped by
// (1 - u) ^ (1 / `Spread`), moves the sample along the radius by `Amplitude` / 10 pixels at most.
#pragma once

#include "graphics/URCustomEffect.h"

#include <cstddef>

struct TCE_Ripple_Buffer {
    float Frequency;
    float Phase;
    float Amplitude;
    float Spread;
    float CenterX;
    float CenterY;
    float DPI;
};
static_assert(sizeof(TCE_Ripple_Buffer) == 28);
static_assert(offsetof(TCE_Ripple_Buffer, Frequency) == 0);
static_assert(offsetof(TCE_Ripple_Buffer, Phase) == 4);
static_assert(offsetof(TCE_Ripple_Buffer, Amplitude) == 8);
static_assert(offsetof(TCE_Ripple_Buffer, Spread) == 12);
static_assert(offsetof(TCE_Ripple_Buffer, CenterX) == 16);
static_assert(offsetof(TCE_Ripple_Buffer, CenterY) == 20);
static_assert(offsetof(TCE_Ripple_Buffer, DPI) == 24);

inline const QUuid CLSID_CERipple =
    QUuid(0x17f58e1c, 0xc845, 0x4baf, 0x8a, 0x24, 0xe9, 0xd4, 0xb0, 0x03, 0xb9, 0x3d);

class TRCERipple : public TRCustomEffectOf<TRCERipple, TCE_Ripple_Buffer> {
public:
    /// Sets `DPI` to 96 besides the registered properties.
    explicit TRCERipple(const TRShaderLibrary& shaders);
    static const TRCustomEffectInfo& Info();
    /// The pixel program, found by the shader identifier of the class.
    static TRPixelShader Shader();
};
