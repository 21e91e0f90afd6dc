// SpinBlur: each pixel averages the image along the arc about `Center` of `Size` / 8 radians
// (`Size` 0..2 pi); pixels beyond `Radius` (when set) stay. Samples stay inside the image when
// `MaxWidth` and `MaxHeight` are set.
#pragma once

#include "graphics/URCustomEffect.h"

#include <cstddef>

struct TCE_SpinBlur_Buffer {
    float Size;
    TD2D_VECTOR_2F Center;
    float Radius;
    float MaxWidth;
    float MaxHeight;
};
static_assert(sizeof(TCE_SpinBlur_Buffer) == 24);
static_assert(offsetof(TCE_SpinBlur_Buffer, Size) == 0);
static_assert(offsetof(TCE_SpinBlur_Buffer, Center) == 4);
static_assert(offsetof(TCE_SpinBlur_Buffer, Radius) == 12);
static_assert(offsetof(TCE_SpinBlur_Buffer, MaxWidth) == 16);
static_assert(offsetof(TCE_SpinBlur_Buffer, MaxHeight) == 20);

inline const QUuid CLSID_CESpinBlur =
    QUuid(0xfca3a239, 0xae59, 0x4cb2, 0x90, 0x33, 0x0a, 0x26, 0xd2, 0xe8, 0x2f, 0x24);

class TRCESpinBlur : public TRCustomEffectOf<TRCESpinBlur, TCE_SpinBlur_Buffer> {
public:
    explicit TRCESpinBlur(const TRShaderLibrary& shaders) : TRCustomEffectOf(shaders) {}
    static const TRCustomEffectInfo& Info();
    /// The pixel program, found by the shader identifier of the class.
    static TRPixelShader Shader();
};
