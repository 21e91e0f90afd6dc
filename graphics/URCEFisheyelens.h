// Fisheyelens: inside `RadiusOut` about `Center` a point at distance d samples the image at
// distance d x (max(d, `RadiusIn`) / `RadiusOut`) ^ `Size`: the middle bulges, the rim stays.
#pragma once

#include "graphics/URCustomEffect.h"

#include <cstddef>

struct TCE_Fisheyelens_Buffer {
    float Size;
    TD2D_VECTOR_2F Center;
    float RadiusOut;
    float RadiusIn;
};
static_assert(sizeof(TCE_Fisheyelens_Buffer) == 20);
static_assert(offsetof(TCE_Fisheyelens_Buffer, Size) == 0);
static_assert(offsetof(TCE_Fisheyelens_Buffer, Center) == 4);
static_assert(offsetof(TCE_Fisheyelens_Buffer, RadiusOut) == 12);
static_assert(offsetof(TCE_Fisheyelens_Buffer, RadiusIn) == 16);

inline const QUuid CLSID_CEFisheyelens =
    QUuid(0x4c0ca57e, 0x15c7, 0x4261, 0x80, 0x6e, 0x3a, 0xfc, 0xff, 0xdb, 0xe3, 0xf6);

class TRCEFisheyelens : public TRCustomEffectOf<TRCEFisheyelens, TCE_Fisheyelens_Buffer> {
public:
    explicit TRCEFisheyelens(const TRShaderLibrary& shaders) : TRCustomEffectOf(shaders) {}
    static const TRCustomEffectInfo& Info();
    /// The pixel program, found by the shader identifier of the class.
    static TRPixelShader Shader();
};
