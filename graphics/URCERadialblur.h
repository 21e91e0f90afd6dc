// Radialblur: a zoom blur towards `Center`: each pixel averages the image along the line to
// the centre over `Size` (0..2) quarters of its distance; pixels beyond `Radius` (when set) stay.
#pragma once

#include "graphics/URCustomEffect.h"

#include <cstddef>

struct TCE_Radialblur_Buffer {
    float Size;
    TD2D_VECTOR_2F Center;
    float Radius;
};
static_assert(sizeof(TCE_Radialblur_Buffer) == 16);
static_assert(offsetof(TCE_Radialblur_Buffer, Size) == 0);
static_assert(offsetof(TCE_Radialblur_Buffer, Center) == 4);
static_assert(offsetof(TCE_Radialblur_Buffer, Radius) == 12);

inline const QUuid CLSID_CERadialblur =
    QUuid(0x14b28826, 0x57b8, 0x4cef, 0x9b, 0x9b, 0x5e, 0x58, 0x12, 0x0d, 0x27, 0xd1);

class TRCERadialblur : public TRCustomEffectOf<TRCERadialblur, TCE_Radialblur_Buffer> {
public:
    explicit TRCERadialblur(const TRShaderLibrary& shaders) : TRCustomEffectOf(shaders) {}
    static const TRCustomEffectInfo& Info();
    /// The pixel program, found by the shader identifier of the class.
    static TRPixelShader Shader();
};
