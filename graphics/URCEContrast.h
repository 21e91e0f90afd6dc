// Contrast: each colour channel c becomes (c - 0.5) x (1 + `Contrast`) + 0.5 + `Brightness`.
// 0 and 0 leave the image unchanged. `Contrast` is taken from -1 (flat grey) upwards, so the
// colour adjustment range -0.25..2 works; `Brightness` lies in -1..1.
#pragma once

#include "graphics/URCustomEffect.h"

#include <cstddef>

struct TCE_Contrast_Buffer {
    float Contrast;
    float Brightness;
};
static_assert(sizeof(TCE_Contrast_Buffer) == 8);
static_assert(offsetof(TCE_Contrast_Buffer, Contrast) == 0);
static_assert(offsetof(TCE_Contrast_Buffer, Brightness) == 4);

inline const QUuid CLSID_CEContrast =
    QUuid(0xfde2f4dc, 0xabe6, 0x4d94, 0xa9, 0x7d, 0x7f, 0x29, 0x3a, 0x0f, 0x29, 0xe9);

class TRCEContrast : public TRCustomEffectOf<TRCEContrast, TCE_Contrast_Buffer> {
public:
    explicit TRCEContrast(const TRShaderLibrary& shaders) : TRCustomEffectOf(shaders) {}
    static const TRCustomEffectInfo& Info();
    /// The pixel program, found by the shader identifier of the class.
    static TRPixelShader Shader();
};
