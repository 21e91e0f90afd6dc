// Magnify: the image enlarged by 1 / `Size` about `Center`, inside the circle of `Radius` about
// it (everywhere when `Radius` is 0). A `Size` of 0 or less magnifies nothing.
#pragma once

#include "graphics/URCustomEffect.h"

#include <cstddef>

struct TCE_Magnify_Buffer {
    float Size;
    TD2D_VECTOR_2F Center;
    float Radius;
};
static_assert(sizeof(TCE_Magnify_Buffer) == 16);
static_assert(offsetof(TCE_Magnify_Buffer, Size) == 0);
static_assert(offsetof(TCE_Magnify_Buffer, Center) == 4);
static_assert(offsetof(TCE_Magnify_Buffer, Radius) == 12);

inline const QUuid CLSID_CEMagnify =
    QUuid(0xaf322b8a, 0xf46c, 0x4599, 0x9f, 0x0b, 0x8a, 0x98, 0x95, 0x19, 0x17, 0xc6);

class TRCEMagnify : public TRCustomEffectOf<TRCEMagnify, TCE_Magnify_Buffer> {
public:
    explicit TRCEMagnify(const TRShaderLibrary& shaders) : TRCustomEffectOf(shaders) {}
    static const TRCustomEffectInfo& Info();
    /// The pixel program, found by the shader identifier of the class.
    static TRPixelShader Shader();
};
