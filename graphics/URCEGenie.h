// Genie: the image sucked into a point on its bottom edge: with `Progress` p (0..1) it is
// squeezed into the rows below p x height, each row narrowed towards the point at `Position`
// (0..1 of the width) the more the lower it lies. Progress 0 leaves the image, 1 hides it.
#pragma once

#include "graphics/URCustomEffect.h"

#include <cstddef>

struct TCE_Genie_Buffer {
    float Progress;
    float Position;
};
static_assert(sizeof(TCE_Genie_Buffer) == 8);
static_assert(offsetof(TCE_Genie_Buffer, Progress) == 0);
static_assert(offsetof(TCE_Genie_Buffer, Position) == 4);

inline const QUuid CLSID_CEGenie =
    QUuid(0x41ecb2f2, 0xcdd4, 0x4ebb, 0xa1, 0xe7, 0xf6, 0x53, 0x4e, 0x1d, 0x82, 0x70);

class TRCEGenie : public TRCustomEffectOf<TRCEGenie, TCE_Genie_Buffer> {
public:
    explicit TRCEGenie(const TRShaderLibrary& shaders) : TRCustomEffectOf(shaders) {}
    static const TRCustomEffectInfo& Info();
    /// The pixel program, found by the shader identifier of the class.
    static TRPixelShader Shader();
};
