// Swirl: the image twisted about `Center` by up to `Size` radians: fully inside `Radiusin`,
// fading to none at the outer radius (property "Radius", field `Radiusout`); nothing outside
// it. Samples stay inside the image when `MaxWidth` and `MaxHeight` are set.
#pragma once

#include "graphics/URCustomEffect.h"

#include <cstddef>

struct TCE_Swirl_Buffer {
    float Size;
    TD2D_VECTOR_2F Center;
    float Radiusout;
    float Radiusin;
    float MaxWidth;
    float MaxHeight;
};
static_assert(sizeof(TCE_Swirl_Buffer) == 28);
static_assert(offsetof(TCE_Swirl_Buffer, Size) == 0);
static_assert(offsetof(TCE_Swirl_Buffer, Center) == 4);
static_assert(offsetof(TCE_Swirl_Buffer, Radiusout) == 12);
static_assert(offsetof(TCE_Swirl_Buffer, Radiusin) == 16);
static_assert(offsetof(TCE_Swirl_Buffer, MaxWidth) == 20);
static_assert(offsetof(TCE_Swirl_Buffer, MaxHeight) == 24);

inline const QUuid CLSID_CESwirl =
    QUuid(0x5c5efcac, 0x9482, 0x49eb, 0x83, 0xd0, 0x2d, 0xf6, 0x55, 0x98, 0x5a, 0x8c);

class TRCESwirl : public TRCustomEffectOf<TRCESwirl, TCE_Swirl_Buffer> {
public:
    explicit TRCESwirl(const TRShaderLibrary& shaders) : TRCustomEffectOf(shaders) {}
    static const TRCustomEffectInfo& Info();
    /// The pixel program, found by the shader identifier of the class.
    static TRPixelShader Shader();
};
