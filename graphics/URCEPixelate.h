// Pixelate: square blocks of `Size` pixels (rounded; 1 or less leaves the image unchanged),
// laid from the image's top-left corner, each filled with its average colour. When `MaxWidth`
// and `MaxHeight` are set they bound the pixelated area.
#pragma once

#include "graphics/URCustomEffect.h"

#include <cstddef>

struct TCE_Pixelate_Buffer {
    float Size;
    float MaxWidth;
    float MaxHeight;
};
static_assert(sizeof(TCE_Pixelate_Buffer) == 12);
static_assert(offsetof(TCE_Pixelate_Buffer, Size) == 0);
static_assert(offsetof(TCE_Pixelate_Buffer, MaxWidth) == 4);
static_assert(offsetof(TCE_Pixelate_Buffer, MaxHeight) == 8);

inline const QUuid CLSID_CEPixelate =
    QUuid(0xbc6352e7, 0xa06f, 0x4892, 0xaf, 0xa8, 0x5a, 0xc5, 0xf1, 0xf4, 0x2f, 0x7d);

class TRCEPixelate : public TRCustomEffectOf<TRCEPixelate, TCE_Pixelate_Buffer> {
public:
    explicit TRCEPixelate(const TRShaderLibrary& shaders) : TRCustomEffectOf(shaders) {}
    static const TRCustomEffectInfo& Info();
    /// The pixel program, found by the shader identifier of the class.
    static TRPixelShader Shader();
};
