// Opacity: the input with its opacity multiplied by `Opacity` (0..1; 1 leaves it unchanged).
#pragma once

#include "graphics/URCustomEffect.h"

#include <cstddef>

struct TCE_OPACITY_Buffer {
    float Opacity;
};
static_assert(sizeof(TCE_OPACITY_Buffer) == 4);
static_assert(offsetof(TCE_OPACITY_Buffer, Opacity) == 0);

inline const QUuid CLSID_CEOpacity =
    QUuid(0xa18a152c, 0xbcb4, 0x4f86, 0xa1, 0x4d, 0x2c, 0xf6, 0x97, 0x0e, 0x9e, 0x4d);

class TRCEOpacity : public TRCustomEffectOf<TRCEOpacity, TCE_OPACITY_Buffer> {
public:
    explicit TRCEOpacity(const TRShaderLibrary& shaders) : TRCustomEffectOf(shaders) {}
    static const TRCustomEffectInfo& Info();
    /// The pixel program, found by the shader identifier of the class.
    static TRPixelShader Shader();
};
